<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="pt_BR">
<context>
    <name>Talvoro</name>
    <message>
        <source>Código de autorização não encontrado</source>
        <translation>Authorization code not found</translation>
    </message>
    <message>
        <source>O chaveiro do sistema não respondeu. Verifique se ele está desbloqueado e tente novamente.</source>
        <translation>The system keychain did not answer. Make sure it is unlocked and try again.</translation>
    </message>
    <message>
        <source>Erro ao processar resposta</source>
        <translation>Error processing response</translation>
    </message>
    <message>
        <source>Sessão expirada</source>
        <translation>Session expired</translation>
    </message>
    <message>
        <source>Este dispositivo foi modificado e não é compatível com o app por razões de segurança.</source>
        <translation>This device has been modified and is not supported by the app for security reasons.</translation>
    </message>
    <message>
        <source>O áudio ainda está sendo processado remotamente. Tente novamente em alguns segundos.</source>
        <translation>The audio is still being processed remotely. Try again in a few seconds.</translation>
    </message>
    <message>
        <source>Não autenticado</source>
        <translation>Not authenticated</translation>
    </message>
    <message>
        <source>Arquivo de áudio não encontrado</source>
        <translation>Audio file not found</translation>
    </message>
    <message>
        <source>Arquivo muito grande para envio</source>
        <translation>File too large to upload</translation>
    </message>
    <message>
        <source>Falha ao renovar sessão</source>
        <translation>Failed to renew session</translation>
    </message>
    <message>
        <source>Operação cancelada</source>
        <translation>Operation cancelled</translation>
    </message>
    <message>
        <source>Erro desconhecido</source>
        <translation>Unknown error</translation>
    </message>
</context>
</TS>

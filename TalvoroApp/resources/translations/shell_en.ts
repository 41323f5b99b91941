<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="pt_BR">
<context>
    <name>Talvoro</name>
    <message>
        <source>O disco está cheio</source>
        <translation>The disk is full</translation>
    </message>
    <message>
        <source>O Talvoro não conseguiu salvar suas alterações em:</source>
        <translation>Talvoro could not save your changes to:</translation>
    </message>
    <message>
        <source>• transcrições, regras de substituição e termos do dicionário</source>
        <translation>• transcriptions, replacement rules and dictionary terms</translation>
    </message>
    <message>
        <source>• configurações</source>
        <translation>• settings</translation>
    </message>
    <message>
        <source>• alterações que ainda serão enviadas à sua conta</source>
        <translation>• changes still to be sent to your account</translation>
    </message>
    <message>
        <source>Libere espaço no disco para que o Talvoro volte a salvá-las.</source>
        <translation>Free up disk space so that Talvoro can save them again.</translation>
    </message>
    <message>
        <source>Fechar a janela encerra o Talvoro</source>
        <translation>Closing the window quits Talvoro</translation>
    </message>
    <message>
        <source>Esta área de trabalho não tem bandeja do sistema, de onde a janela poderia ser aberta de novo. Por isso, fechar a janela encerra o Talvoro e os atalhos globais deixam de funcionar.</source>
        <translation>This desktop has no system tray from which the window could be opened again. So closing the window quits Talvoro, and the global hotkeys stop working.</translation>
    </message>
    <message>
        <source>Encerrar</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>Início</source>
        <translation>Home</translation>
    </message>
    <message>
        <source>Histórico</source>
        <translation>History</translation>
    </message>
    <message>
        <source>Ditado</source>
        <translation>Dictation</translation>
    </message>
    <message>
        <source>Ajustes</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Voltar</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Abrir Talvoro</source>
        <translation>Open Talvoro</translation>
    </message>
    <message>
        <source>Sair do Talvoro</source>
        <translation>Quit Talvoro</translation>
    </message>
    <message>
        <source>Buscar atualizações...</source>
        <translation>Check for Updates...</translation>
    </message>
</context>
</TS>

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="pt_BR">
<context>
    <name>Talvoro</name>
    <message>
        <source>Hoje</source>
        <translation>Today</translation>
    </message>
    <message>
        <source>Ontem</source>
        <translation>Yesterday</translation>
    </message>
    <message>
        <source>Buscar transcrições</source>
        <translation>Search transcriptions</translation>
    </message>
    <message>
        <source>·</source>
        <translation>·</translation>
    </message>
    <message>
        <source>Copiar Texto</source>
        <translation>Copy Text</translation>
    </message>
    <message>
        <source>Apagar</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Nenhuma transcrição ainda.
Pressione %@ para começar.</source>
        <translation>No transcriptions yet.
Press %@ to start.</translation>
    </message>
    <message>
        <source>Registro não encontrado</source>
        <translation>Record not found</translation>
    </message>
    <message>
        <source>Transcrição de Voz</source>
        <translation>Voice Transcription</translation>
    </message>
    <message>
        <source>Copiar</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>Copiado!</source>
        <translation>Copied!</translation>
    </message>
    <message>
        <source>Compartilhar</source>
        <translation>Share</translation>
    </message>
    <message>
        <source>Enviar por E-mail</source>
        <translation>Send by Email</translation>
    </message>
    <message>
        <source>Salvar como Arquivo de Texto…</source>
        <translation>Save as Text File…</translation>
    </message>
    <message>
        <source>Auto-detectado</source>
        <translation>Auto-detected</translation>
    </message>
    <message>
        <source>Nenhum resultado para “%1”</source>
        <translation>No results for “%1”</translation>
    </message>
    <message>
        <source>Verifique a ortografia ou tente uma nova busca.</source>
        <translation>Check the spelling or try a new search.</translation>
    </message>
</context>
</TS>

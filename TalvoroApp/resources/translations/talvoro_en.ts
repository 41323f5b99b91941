<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="pt_BR">
<context>
    <name>Talvoro</name>
    <message>
        <source>Iniciar ou parar um ditado</source>
        <translation>Start or stop a dictation</translation>
    </message>
    <message>
        <source>Iniciar ou parar um ditado com tradução</source>
        <translation>Start or stop a dictation with translation</translation>
    </message>
    <message>
        <source>Colar a última transcrição</source>
        <translation>Paste the last transcription</translation>
    </message>
    <message>
        <source>Cancelar a gravação</source>
        <translation>Cancel the recording</translation>
    </message>
</context>
</TS>

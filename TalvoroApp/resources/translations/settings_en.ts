<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="pt_BR">
<context>
    <name>Talvoro</name>
    <message>
        <source>Copiar</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>Copiado!</source>
        <translation>Copied!</translation>
    </message>
    <message>
        <source>Nenhum resultado para “%1”</source>
        <translation>No results for “%1”</translation>
    </message>
    <message>
        <source>Verifique a ortografia ou tente uma nova busca.</source>
        <translation>Check the spelling or try a new search.</translation>
    </message>
    <message>
        <source>.</source>
        <translation>.</translation>
    </message>
</context>
</TS>

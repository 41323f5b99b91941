<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="pt_BR">
<context>
    <name>Talvoro</name>
    <message>
        <source>.</source>
        <translation type="vanished">.</translation>
    </message>
</context>
</TS>

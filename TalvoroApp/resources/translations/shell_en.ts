<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="pt_BR">
<context>
    <name>Talvoro</name>
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

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
        <source>Português</source>
        <translation>Portuguese</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>Español</source>
        <translation>Spanish</translation>
    </message>
    <message>
        <source>Français</source>
        <translation>French</translation>
    </message>
    <message>
        <source>Transcrição</source>
        <translation>Transcription</translation>
    </message>
    <message>
        <source>Histórico</source>
        <translation>History</translation>
    </message>
    <message>
        <source>Estatísticas</source>
        <translation>Statistics</translation>
    </message>
    <message>
        <source>Sem dados</source>
        <translation>No data</translation>
    </message>
    <message>
        <source>Suas estatísticas aparecerão aqui após usar o teclado de voz.</source>
        <translation>Your statistics will appear here after you use voice typing.</translation>
    </message>
    <message>
        <source>ditados</source>
        <translation>dictations</translation>
    </message>
    <message>
        <source>palavras</source>
        <translation>words</translation>
    </message>
    <message>
        <source>pal/dit</source>
        <translation>words/dict.</translation>
    </message>
    <message>
        <source>Últimas 8 semanas</source>
        <translation>Last 8 weeks</translation>
    </message>
    <message>
        <source>—</source>
        <translation>—</translation>
    </message>
    <message>
        <source>Detalhes</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>Este mês</source>
        <translation>This month</translation>
    </message>
    <message>
        <source>Últimos 7 dias</source>
        <translation>Last 7 days</translation>
    </message>
    <message>
        <source>Melhor dia</source>
        <translation>Best day</translation>
    </message>
    <message>
        <source>Sequência atual</source>
        <translation>Current streak</translation>
    </message>
    <message>
        <source>Maior sequência</source>
        <translation>Longest streak</translation>
    </message>
    <message>
        <source>início</source>
        <translation>home</translation>
    </message>
    <message>
        <source>Esta semana</source>
        <translation>This week</translation>
    </message>
    <message>
        <source>Uso Semanal</source>
        <translation>Weekly usage</translation>
    </message>
    <message>
        <source>dia</source>
        <translation>day</translation>
    </message>
    <message>
        <source>dias</source>
        <translation>days</translation>
    </message>
    <message>
        <source>Transcrições Recentes</source>
        <translation>Recent Transcriptions</translation>
    </message>
    <message>
        <source>Sua primeira transcrição aparecerá aqui</source>
        <translation>Your first transcription will appear here</translation>
    </message>
    <message>
        <source>Não foi possível salvar o arquivo</source>
        <translation>Could not save the file</translation>
    </message>
    <message>
        <source>“%1” não pôde ser gravado. Escolha outra pasta ou outro nome.</source>
        <translation>“%1” could not be written. Choose another folder or name.</translation>
    </message>
</context>
</TS>

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="pt_BR">
<context>
    <name>Talvoro</name>
    <message>
        <source>Bug</source>
        <translation>Bug</translation>
    </message>
    <message>
        <source>Sugestão</source>
        <translation>Suggestion</translation>
    </message>
    <message>
        <source>Dúvida</source>
        <translation>Question</translation>
    </message>
    <message>
        <source>Elogio</source>
        <translation>Praise</translation>
    </message>
    <message>
        <source>Enviar Feedback</source>
        <translation>Send Feedback</translation>
    </message>
    <message>
        <source>Tópico</source>
        <translation>Topic</translation>
    </message>
    <message>
        <source>Assunto</source>
        <translation>Subject</translation>
    </message>
    <message>
        <source>Descreva brevemente...</source>
        <translation>Describe briefly...</translation>
    </message>
    <message>
        <source>%1/100</source>
        <translation>%1/100</translation>
    </message>
    <message>
        <source>%1/1000</source>
        <translation>%1/1000</translation>
    </message>
    <message>
        <source>Descrição</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>Capturas de tela</source>
        <translation>Screenshots</translation>
    </message>
    <message>
        <source>Adicionar imagens</source>
        <translation>Add images</translation>
    </message>
    <message>
        <source>Opcional. Até 3 imagens.</source>
        <translation>Optional. Up to 3 images.</translation>
    </message>
    <message>
        <source>Sua mensagem vai direto para o desenvolvedor.</source>
        <translation>Your message goes straight to the developer.</translation>
    </message>
    <message>
        <source>Imagens</source>
        <translation>Images</translation>
    </message>
    <message>
        <source>Remover</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>Feedback Enviado</source>
        <translation>Feedback Sent</translation>
    </message>
    <message>
        <source>Obrigado pelo seu feedback!</source>
        <translation>Thank you for your feedback!</translation>
    </message>
    <message>
        <source>Erro</source>
        <translation>Error</translation>
    </message>
</context>
</TS>

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="pt_BR">
<context>
    <name>Talvoro</name>
    <message>
        <source>Transcrição</source>
        <translation>Transcription</translation>
    </message>
    <message>
        <source>Idioma</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>Se você mistura idiomas ao falar, recomendamos utilizar &quot;Auto-detectar&quot;.</source>
        <translation>If you mix languages when you speak, we recommend &quot;Auto-detect&quot;.</translation>
    </message>
    <message>
        <source>Tom</source>
        <translation>Tone</translation>
    </message>
    <message>
        <source>Coloquial</source>
        <translation>Colloquial</translation>
    </message>
    <message>
        <source>Natural</source>
        <translation>Natural</translation>
    </message>
    <message>
        <source>Formal</source>
        <translation>Formal</translation>
    </message>
    <message>
        <source>Regras de Substituição</source>
        <translation>Replacement Rules</translation>
    </message>
    <message>
        <source>Dicionário Pessoal</source>
        <translation>Personal Dictionary</translation>
    </message>
    <message>
        <source>Parágrafos</source>
        <translation>Paragraphs</translation>
    </message>
    <message>
        <source>Remover ponto final</source>
        <translation>Remove final period</translation>
    </message>
    <message>
        <source>Formatar datas</source>
        <translation>Format dates</translation>
    </message>
    <message>
        <source>Formatar horários</source>
        <translation>Format times</translation>
    </message>
    <message>
        <source>Formatar listas</source>
        <translation>Format lists</translation>
    </message>
    <message>
        <source>Tradução</source>
        <translation>Translation</translation>
    </message>
    <message>
        <source>Ativar tradução</source>
        <translation>Enable translation</translation>
    </message>
    <message>
        <source>Habilita a hotkey de tradução com o idioma selecionado</source>
        <translation>Turns on the translation hotkey with the selected language</translation>
    </message>
    <message>
        <source>Traduzir para</source>
        <translation>Translate to</translation>
    </message>
    <message>
        <source>Auto-detectar</source>
        <translation>Auto-detect</translation>
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
        <source>Deutsch</source>
        <translation>German</translation>
    </message>
    <message>
        <source>Italiano</source>
        <translation>Italian</translation>
    </message>
    <message>
        <source>日本語</source>
        <translation>Japanese</translation>
    </message>
    <message>
        <source>中文</source>
        <translation>Chinese</translation>
    </message>
    <message>
        <source>한국어</source>
        <translation>Korean</translation>
    </message>
    <message>
        <source>Buscar regras</source>
        <translation>Search rules</translation>
    </message>
    <message>
        <source>Ativar substituições</source>
        <translation>Enable replacements</translation>
    </message>
    <message>
        <source>Nenhuma regra criada</source>
        <translation>No rules yet</translation>
    </message>
    <message>
        <source>Regras de substituição corrigem automaticamente palavras frequentes.</source>
        <translation>Replacement rules automatically correct frequent words.</translation>
    </message>
    <message>
        <source>Usada %lld×</source>
        <translation>Used %lld×</translation>
    </message>
    <message>
        <source>Editar</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>Desativar Regra</source>
        <translation>Disable Rule</translation>
    </message>
    <message>
        <source>Ativar Regra</source>
        <translation>Enable Rule</translation>
    </message>
    <message>
        <source>Apagar</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Excluir Regra</source>
        <translation>Delete Rule</translation>
    </message>
    <message>
        <source>Excluir %lld Regras</source>
        <translation>Delete %lld Rules</translation>
    </message>
    <message>
        <source>Tem certeza que deseja excluir esta regra?</source>
        <translation>Are you sure you want to delete this rule?</translation>
    </message>
    <message>
        <source>Tem certeza que deseja excluir as %lld regras selecionadas?</source>
        <translation>Are you sure you want to delete the %lld selected rules?</translation>
    </message>
    <message>
        <source>Cancelar</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Excluir</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Nova Regra</source>
        <translation>New Rule</translation>
    </message>
    <message>
        <source>Editar Regra</source>
        <translation>Edit Rule</translation>
    </message>
    <message>
        <source>Adicionar</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>Salvar</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Quando transcrever</source>
        <translation>When transcribing</translation>
    </message>
    <message>
        <source>Texto original</source>
        <translation>Original text</translation>
    </message>
    <message>
        <source>Substituir por</source>
        <translation>Replace with</translation>
    </message>
    <message>
        <source>Novo Termo</source>
        <translation>New Term</translation>
    </message>
    <message>
        <source>Editar Termo</source>
        <translation>Edit Term</translation>
    </message>
    <message>
        <source>Termo</source>
        <translation>Term</translation>
    </message>
    <message>
        <source>Ex: OpenAI, Kubernetes, etc.</source>
        <translation>E.g. OpenAI, Kubernetes, etc.</translation>
    </message>
    <message>
        <source>Excluir Termo</source>
        <translation>Delete Term</translation>
    </message>
    <message>
        <source>Limite atingido</source>
        <translation>Limit reached</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Você atingiu o limite de %lld termos para este idioma.</source>
        <translation>You have reached the limit of %lld terms for this language.</translation>
    </message>
    <message>
        <source> </source>
        <translation> </translation>
    </message>
    <message>
        <source>Remova termos existentes para adicionar novos.</source>
        <translation>Remove existing terms to add new ones.</translation>
    </message>
    <message>
        <source>Excluir %lld Termos</source>
        <translation>Delete %lld Terms</translation>
    </message>
    <message>
        <source>Tem certeza que deseja excluir este termo?</source>
        <translation>Are you sure you want to delete this term?</translation>
    </message>
    <message>
        <source>Tem certeza que deseja excluir os %lld termos selecionados?</source>
        <translation>Are you sure you want to delete the %lld selected terms?</translation>
    </message>
    <message>
        <source>Usado %lld×</source>
        <translation>Used %lld×</translation>
    </message>
    <message>
        <source>Ativar dicionário</source>
        <translation>Enable dictionary</translation>
    </message>
    <message>
        <source>Nenhum termo adicionado</source>
        <translation>No terms added</translation>
    </message>
    <message>
        <source>Termos do dicionário ajudam a melhorar a precisão da transcrição.</source>
        <translation>Dictionary terms help improve transcription accuracy.</translation>
    </message>
    <message>
        <source>Buscar termo</source>
        <translation>Search term</translation>
    </message>
</context>
</TS>

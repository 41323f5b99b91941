<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="pt_BR">
<context>
    <name>Talvoro</name>
    <message>
        <source>Geral</source>
        <translation>General</translation>
    </message>
    <message>
        <source>Abrir ao iniciar sessão</source>
        <translation>Open at login</translation>
    </message>
    <message>
        <source>Microfone de entrada</source>
        <translation>Input microphone</translation>
    </message>
    <message>
        <source>Padrão do sistema</source>
        <translation>System default</translation>
    </message>
    <message>
        <source>Padrão do sistema (%1)</source>
        <translation>System default (%1)</translation>
    </message>
    <message>
        <source>Microfone indisponível</source>
        <translation>Microphone unavailable</translation>
    </message>
    <message>
        <source>Tecla de atalho</source>
        <translation>Shortcut key</translation>
    </message>
    <message>
        <source>Tecla de tradução</source>
        <translation>Translation key</translation>
    </message>
    <message>
        <source>Tecla de colar última</source>
        <translation>Paste last key</translation>
    </message>
    <message>
        <source>Restaurar padrão (⌃⇧D)</source>
        <translation>Restore default (⌃⇧D)</translation>
    </message>
    <message>
        <source>Restaurar padrão (⌃⇧F)</source>
        <translation>Restore default (⌃⇧F)</translation>
    </message>
    <message>
        <source>Restaurar padrão (⌃⇧V)</source>
        <translation>Restore default (⌃⇧V)</translation>
    </message>
    <message>
        <source>Clique para gravar uma nova hotkey</source>
        <translation>Click to record a new hotkey</translation>
    </message>
    <message>
        <source>Pressione...</source>
        <translation>Press...</translation>
    </message>
    <message>
        <source>Atalho atual:</source>
        <translation>Current shortcut:</translation>
    </message>
    <message>
        <source>Gravar nova hotkey</source>
        <translation>Record new hotkey</translation>
    </message>
    <message>
        <source>Pressione a nova combinação...</source>
        <translation>Press the new combination...</translation>
    </message>
    <message>
        <source>A combinação precisa incluir pelo menos um modificador (⌥, ⌃, ⌘ ou ⇧).</source>
        <translation>The combination must include at least one modifier (⌥, ⌃, ⌘ or ⇧).</translation>
    </message>
    <message>
        <source>Este atalho já está em uso.</source>
        <translation>This shortcut is already in use.</translation>
    </message>
    <message>
        <source>Posição do overlay</source>
        <translation>Overlay position</translation>
    </message>
    <message>
        <source>Vertical</source>
        <translation>Vertical</translation>
    </message>
    <message>
        <source>Horizontal</source>
        <translation>Horizontal</translation>
    </message>
    <message>
        <source>Superior</source>
        <translation>Top</translation>
    </message>
    <message>
        <source>Centro</source>
        <translation>Center</translation>
    </message>
    <message>
        <source>Inferior</source>
        <translation>Bottom</translation>
    </message>
    <message>
        <source>Esquerda</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>Direita</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>Sons de feedback</source>
        <translation>Feedback sounds</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>Testar</source>
        <translation>Test</translation>
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
    <message>
        <source>Sistema</source>
        <translation>System</translation>
    </message>
    <message>
        <source>Aparência</source>
        <translation>Appearance</translation>
    </message>
    <message>
        <source>Sincronizar Agora</source>
        <translation>Sync Now</translation>
    </message>
    <message>
        <source>Permissões</source>
        <translation>Permissions</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Termos de Uso</source>
        <translation>Terms of Use</translation>
    </message>
    <message>
        <source>Política de Privacidade</source>
        <translation>Privacy Policy</translation>
    </message>
    <message>
        <source>Refazer onboarding</source>
        <translation>Redo onboarding</translation>
    </message>
    <message>
        <source>Microfone</source>
        <translation>Microphone</translation>
    </message>
    <message>
        <source>Necessário para gravação de áudio</source>
        <translation>Required to record audio</translation>
    </message>
    <message>
        <source>Acessibilidade</source>
        <translation>Accessibility</translation>
    </message>
    <message>
        <source>Necessário para colar texto no app ativo</source>
        <translation>Required to paste text into the active app</translation>
    </message>
    <message>
        <source>Reconhecimento de Fala</source>
        <translation>Speech Recognition</translation>
    </message>
    <message>
        <source>Necessário para transcrição local quando offline</source>
        <translation>Required for local transcription when offline</translation>
    </message>
    <message>
        <source>Ativar</source>
        <translation>Enable</translation>
    </message>
    <message>
        <source>Todas as permissões concedidas</source>
        <translation>All permissions granted</translation>
    </message>
    <message>
        <source>A área de trabalho não deu uma tecla a este atalho; escolha uma nas configurações de atalhos do sistema.</source>
        <translation>The desktop gave this shortcut no key; choose one in the system's shortcut settings.</translation>
    </message>
    <message>
        <source>Atalhos globais não estão disponíveis nesta área de trabalho.</source>
        <translation>Global hotkeys are not available on this desktop.</translation>
    </message>
    <message>
        <source>Conta</source>
        <translation>Account</translation>
    </message>
    <message>
        <source>Estatísticas Detalhadas</source>
        <translation>Detailed Statistics</translation>
    </message>
    <message>
        <source>Enviar Feedback</source>
        <translation>Send Feedback</translation>
    </message>
    <message>
        <source>Procurar atualizações automaticamente</source>
        <translation>Automatically check for updates</translation>
    </message>
    <message>
        <source>Baixar atualizações automaticamente</source>
        <translation>Automatically download updates</translation>
    </message>
    <message>
        <source>Versão %@</source>
        <translation>Version %@</translation>
    </message>
</context>
</TS>

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
    <message>
        <source>Permissão concedida</source>
        <translation>Permission granted</translation>
    </message>
    <message>
        <source>Aguardando permissão...</source>
        <translation>Waiting for permission...</translation>
    </message>
    <message>
        <source>Bem-vindo ao Talvoro</source>
        <translation>Welcome to Talvoro</translation>
    </message>
    <message>
        <source>Transcreva sua voz em qualquer app do Mac</source>
        <translation>Transcribe your voice in any app on your computer</translation>
    </message>
    <message>
        <source>Precisamos acessar seu microfone</source>
        <translation>We need access to your microphone</translation>
    </message>
    <message>
        <source>Para transcrever sua voz, o Talvoro precisa de permissão para usar o microfone.</source>
        <translation>To transcribe your voice, Talvoro needs permission to use the microphone.</translation>
    </message>
    <message>
        <source>Permitir Microfone</source>
        <translation>Allow Microphone</translation>
    </message>
    <message>
        <source>Permissão de Acessibilidade</source>
        <translation>Accessibility Permission</translation>
    </message>
    <message>
        <source>Abrir Configurações</source>
        <translation>Open Settings</translation>
    </message>
    <message>
        <source>Seu atalho global</source>
        <translation>Your global shortcut</translation>
    </message>
    <message>
        <source>Pressione este atalho em qualquer app para iniciar/parar a ditação.</source>
        <translation>Press this shortcut in any app to start/stop dictation.</translation>
    </message>
    <message>
        <source>Entre na sua conta</source>
        <translation>Sign in to your account</translation>
    </message>
    <message>
        <source>Sincronize seu histórico entre dispositivos.</source>
        <translation>Sync your history across devices.</translation>
    </message>
    <message>
        <source>Entrar</source>
        <translation>Sign In</translation>
    </message>
    <message>
        <source>Entrando...</source>
        <translation>Signing in...</translation>
    </message>
    <message>
        <source>Voltar</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Continuar</source>
        <translation>Continue</translation>
    </message>
    <message>
        <source>Concluir</source>
        <translation>Finish</translation>
    </message>
    <message>
        <source>Pular</source>
        <translation>Skip</translation>
    </message>
    <message>
        <source>Para inserir o texto transcrito e capturar o atalho global, o Talvoro precisa de permissão de Acessibilidade.</source>
        <translation>To insert the transcribed text and capture the global shortcut, Talvoro needs Accessibility permission.</translation>
    </message>
    <message>
        <source>Sua sessão foi encerrada automaticamente. Faça login para continuar.</source>
        <translation>Your session was ended automatically. Sign in to continue.</translation>
    </message>
    <message>
        <source>Transcreva sua voz em qualquer app</source>
        <translation>Transcribe your voice in any app</translation>
    </message>
    <message>
        <source>Sem conta, suas transcrições usarão o reconhecimento básico da Apple. Funcionalidades como formatação avançada, ajuste de tom e sincronização não estarão disponíveis.</source>
        <translation>Without an account, your transcriptions will use basic speech recognition. Features such as advanced formatting, tone adjustment and sync will not be available.</translation>
    </message>
    <message>
        <source>Termos de Uso</source>
        <translation>Terms of Use</translation>
    </message>
    <message>
        <source>e</source>
        <translation>and</translation>
    </message>
    <message>
        <source>Política de Privacidade</source>
        <translation>Privacy Policy</translation>
    </message>
    <message>
        <source>Erro ao entrar</source>
        <translation>Sign-in error</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Confirmar exclusão da conta</source>
        <translation>Confirm account deletion</translation>
    </message>
    <message>
        <source>Digite APAGAR abaixo para confirmar a exclusão permanente da sua conta e todos os dados associados.</source>
        <translation>Type APAGAR below to confirm the permanent deletion of your account and all associated data.</translation>
    </message>
    <message>
        <source>Digite APAGAR</source>
        <translation>Type APAGAR</translation>
    </message>
    <message>
        <source>Cancelar</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Confirmar</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>Apagando conta...</source>
        <translation>Deleting account...</translation>
    </message>
    <message>
        <source>Gerenciar Conta</source>
        <translation>Manage Account</translation>
    </message>
    <message>
        <source>Zona de Ações Irreversíveis</source>
        <translation>Irreversible Actions Zone</translation>
    </message>
    <message>
        <source>As ações nesta página podem excluir permanentemente seus dados. Prossiga com cuidado.</source>
        <translation>The actions on this page can permanently delete your data. Proceed with care.</translation>
    </message>
    <message>
        <source>Excluir Conta</source>
        <translation>Delete Account</translation>
    </message>
    <message>
        <source>Ações</source>
        <translation>Actions</translation>
    </message>
    <message>
        <source>Todos os seus dados serão permanentemente excluídos, incluindo transcrições, regras de substituição e configurações. Esta ação não pode ser desfeita.</source>
        <translation>All your data will be permanently deleted, including transcriptions, replacement rules and settings. This action cannot be undone.</translation>
    </message>
    <message>
        <source>Erro ao excluir conta</source>
        <translation>Error deleting account</translation>
    </message>
    <message>
        <source>Foto do perfil</source>
        <translation>Profile picture</translation>
    </message>
    <message>
        <source>Conta</source>
        <translation>Account</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Dados e Privacidade</source>
        <translation>Data and Privacy</translation>
    </message>
    <message>
        <source>Remover Foto</source>
        <translation>Remove Photo</translation>
    </message>
    <message>
        <source>Autenticado</source>
        <translation>Authenticated</translation>
    </message>
    <message>
        <source>Não autenticado</source>
        <translation>Not authenticated</translation>
    </message>
    <message>
        <source>Sair da Conta</source>
        <translation>Sign Out</translation>
    </message>
</context>
</TS>

// completion bash: a completion script for bash, made from the command table.
#include "CtlCommand.h"

namespace {

int runCompletion(CtlContext& _ctx)
{
    if (_ctx.args != QStringList{QStringLiteral("bash")}) {
        return _ctx.fail("completion takes bash", kCtlUsage);
    }
    QStringList lstNames{QStringLiteral("help")};
    for (const CtlCommand& command : ctlCommands()) {
        lstNames << QLatin1String(command.name);
    }
    const QString strScript =
        QStringLiteral(
            "# bash completion for tesselctl: source it, or install it as\n"
            "# /usr/share/bash-completion/completions/tesselctl\n"
            "_tesselctl()\n"
            "{\n"
            "    local cur prev words cword\n"
            "    _init_completion 2>/dev/null || {\n"
            "        cur=${COMP_WORDS[COMP_CWORD]}\n"
            "        prev=${COMP_WORDS[COMP_CWORD-1]}\n"
            "        words=(\"${COMP_WORDS[@]}\")\n"
            "        cword=$COMP_CWORD\n"
            "    }\n"
            "    local commands=\"%1\"\n"
            "    local options=\"%2\"\n"
            "    local databases=\"Tessel Tessel-record Tessel-intelligent Tessel-passengerFlow\"\n"
            "    case $prev in\n"
            "        --password-file) COMPREPLY=($(compgen -f -- \"$cur\")); return ;;\n"
            "        --server|--user|--password|--bind|--bind-text|--timeout) return ;;\n"
            "    esac\n"
            "    if [[ $cur == -* ]]; then\n"
            "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
            "        return\n"
            "    fi\n"
            "    local i command=\n"
            "    for ((i = 1; i < cword; i++)); do\n"
            "        case ${words[i]} in\n"
            "            --server|--user|--password|--password-file|--bind|--bind-text|--timeout) ((i++)) "
            ";;\n"
            "            -*) ;;\n"
            "            *) command=${words[i]}; break ;;\n"
            "        esac\n"
            "    done\n"
            "    case $command in\n"
            "        '') COMPREPLY=($(compgen -W \"$commands\" -- \"$cur\")) ;;\n"
            "        help) COMPREPLY=($(compgen -W \"$commands\" -- \"$cur\")) ;;\n"
            "        completion) COMPREPLY=($(compgen -W bash -- \"$cur\")) ;;\n"
            "        backup|restore|upload) if ((cword > i + 1)); then COMPREPLY=($(compgen -W "
            "\"$databases\" -- \"$cur\")); "
            "elif [[ $command == upload ]]; then COMPREPLY=($(compgen -d -- \"$cur\")); fi ;;\n"
            "        download) if ((cword > i + 1)); then COMPREPLY=($(compgen -W \"$databases\" -- "
            "\"$cur\")); "
            "else COMPREPLY=($(compgen -d -- \"$cur\")); fi ;;\n"
            "        reset|exec|query|tables) if ((cword == i + 1)) || [[ $command == reset ]]; then "
            "COMPREPLY=($(compgen -W \"$databases\" -- \"$cur\")); fi ;;\n"
            "    esac\n"
            "}\n"
            "complete -F _tesselctl tesselctl\n")
            .arg(lstNames.join(' '), ctlOptionNames().join(' '));
    ctlOut() << strScript;
    return kCtlOk;
}

}  // namespace

TESSELCTL_COMMAND("completion", "bash", "print a bash completion script", &runCompletion,
                  "Examples:\n"
                  "  source <(tesselctl completion bash)\n"
                  "  tesselctl completion bash > ~/.local/share/bash-completion/completions/tesselctl\n");

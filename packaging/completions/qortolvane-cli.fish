# fish completion for qortolvane-cli, read from the program's own --help as the bash one is.
function __qortolvane_cli_help
    set -l tokens (commandline -opc)
    set -l chain
    set -l help (command $tokens[1] --help 2>/dev/null)
    for word in $tokens[2..-1]
        if contains -- $word (printf '%s\n' $help | sed -n '/^Subcommands:/,/^$/s/^  \([a-z]\{1,\}\) .*/\1/p')
            set chain $chain $word
            set help (command $tokens[1] $chain --help 2>/dev/null)
        end
    end
    printf '%s\n' $help
end

function __qortolvane_cli_candidates
    set -l help (__qortolvane_cli_help)
    printf '%s\n' $help | sed -n '/^Subcommands:/,/^$/s/^  \([a-z]\{1,\}\) .*/\1/p'
    printf '%s\n' $help | grep -o -- '--[a-z-]\{1,\}' | sort -u
end

complete -c qortolvane-cli -a '(__qortolvane_cli_candidates)'

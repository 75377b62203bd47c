# bash completion for qortolvane-cli. The commands and options are read from the program's own
# --help, so they never fall behind it.
_qortolvane_cli_subcommands() {
    sed -n '/^Subcommands:/,/^$/s/^  \([a-z]\+\) .*/\1/p'
}

_qortolvane_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} program=${COMP_WORDS[0]} chain=() help word
    help=$("$program" --help 2>/dev/null)
    for word in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
        if grep -qxF -- "$word" <(_qortolvane_cli_subcommands <<<"$help"); then
            chain+=("$word")
            help=$("$program" "${chain[@]}" --help 2>/dev/null)
        fi
    done
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(grep -o -- '--[a-z-]\+' <<<"$help" | sort -u)" -- "$cur")
        return
    fi
    mapfile -t COMPREPLY < <(compgen -W "$(_qortolvane_cli_subcommands <<<"$help")" -- "$cur")
    [[ ${#COMPREPLY[@]} -gt 0 ]] || mapfile -t COMPREPLY < <(compgen -f -- "$cur")
}
complete -o filenames -F _qortolvane_cli qortolvane-cli

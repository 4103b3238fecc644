# bash completion for quillon-cli. The commands, their options and the kind of
# each argument are read from the tool's own help, so they match the installed
# program: BANK completes .sad files, WAV .wav files, FILE .mp2 and .wav
# files, DIR folders, and OUT.h, OUT.csv, LIST.h or ENUMS.h files of that kind.

# Completes one argument of the kind its help names it.
_quillon_cli_argument() {
    case $1 in
        BANK) _filedir sad ;;
        WAV | WAV...) _filedir wav ;;
        FILE) _filedir '@(mp2|wav)' ;;
        DIR) _filedir -d ;;
        *.h) _filedir h ;;
        *.csv) _filedir csv ;;
    esac
}

_quillon_cli() {
    local cur prev words cword
    _init_completion || return
    local tool=${words[0]}

    if ((cword == 1)); then
        local commands
        commands=$("$tool" --help 2>/dev/null | sed -n '/^Commands:$/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p')
        COMPREPLY=($(compgen -W "$commands help --help --version" -- "$cur"))
        return
    fi

    local command=${words[1]}
    if [[ $command == help ]]; then
        ((cword == 2)) && COMPREPLY=($(compgen -W "$("$tool" --help 2>/dev/null |
            sed -n '/^Commands:$/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p')" -- "$cur"))
        return
    fi

    local help
    help=$("$tool" help "$command" 2>/dev/null) || return
    # Option lines read "  --name VALUE   what it does"; VALUE is in capitals.
    local options
    options=$(sed -n '/^Options:$/,$s/^  \(--[a-z-]*\).*/\1/p' <<<"$help")
    local value
    value=$(sed -n "/^Options:$/,\$s/^  $prev \([A-Z][^ ]*\) .*/\1/p" <<<"$help")
    if [[ $prev == --* && -n $value ]]; then
        _quillon_cli_argument "$value"
        return
    fi
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    # The arguments of the usage line, without its options: the n-th argument
    # given takes the n-th kind, and a last kind ending in "..." repeats.
    local -a kinds
    read -r -a kinds <<<"$(head -n 1 <<<"$help" |
        sed -e 's/^Usage: [^ ]* [^ ]* //' -e 's/\[--[^]]*\]//g' -e 's/--[a-z-]* [^ ]*//g')"
    local i n=0
    for ((i = 2; i < cword; i++)); do
        if [[ ${words[i]} == --* ]]; then
            grep -q "^  ${words[i]} [A-Z]" <<<"$help" && ((i++))
            continue
        fi
        ((n++))
    done
    ((${#kinds[@]} > 0)) || return
    if ((n >= ${#kinds[@]})); then
        [[ ${kinds[-1]} == *...* ]] || return
        n=$((${#kinds[@]} - 1))
    fi
    _quillon_cli_argument "${kinds[n]}"
}
complete -F _quillon_cli quillon-cli

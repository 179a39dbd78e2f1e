# bash completion for plok-cli                                      -*- shell-script -*-

_plok_cli()
{
    local cur prev words cword split
    _init_completion -s || return

    local commands='anonymize strip-branch carte export-csv replace audit help'
    local command='' i
    for ((i = 1; i < cword; i++)); do
        if [[ ${words[i]} != -* ]]; then
            command=${words[i]}
            break
        fi
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W '--help -h --version -V' -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        fi
        return
    fi

    local commandAt=$i
    # After "--" every word is a file.
    for ((i = commandAt + 1; i < cword; i++)); do
        if [[ ${words[i]} == -- ]]; then
            _filedir
            return
        fi
    done

    case $prev in
        --out | -o)
            _filedir -d
            return
            ;;
        --mode)
            COMPREPLY=($(compgen -W 'symbol position none' -- "$cur"))
            return
            ;;
        --definitions | --key)
            _filedir
            return
            ;;
        --start | --end)
            return
            ;;
    esac
    [[ $split == true ]] && return

    local options
    case $command in
        anonymize) options='--out -o --audit --strong --key --help -h' ;;
        strip-branch) options='--out -o --mode --start --end --help -h' ;;
        carte | export-csv) options='--out -o --help -h' ;;
        replace) options='--out -o --definitions --help -h' ;;
        audit) options='--strong --help -h' ;;
        help)
            if ((cword == commandAt + 1)); then
                COMPREPLY=($(compgen -W "${commands% help}" -- "$cur"))
            fi
            return
            ;;
        *) return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    _filedir
}
complete -F _plok_cli plok-cli

# ex: filetype=sh

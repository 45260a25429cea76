# bash completion for tessaly-cli                          -*- shell-script -*-
# Installed as tessaly-cli in bash-completion's completions folder, which loads
# it the first time tessaly-cli is completed.

_tessaly_cli()
{
    local cur prev words cword split
    _init_completion -s || return

    case $prev in
        -f | --find | -r | --replace | --separator | -j | --jobs | -U | --unified)
            return
            ;;
        -s | --sets)
            _filedir
            return
            ;;
        --files-from)
            _filedir
            [[ -z $cur || $cur == - ]] && COMPREPLY+=(-)
            return
            ;;
        -o | --output-dir | --base)
            _filedir -d
            return
            ;;
        -e | --extension)
            COMPREPLY=($(compgen -W 'htm html php asp "*"' -- "$cur"))
            return
            ;;
        --code-page)
            COMPREPLY=($(compgen -W 'windows-874 windows-1250 windows-1251 windows-1252 windows-1253
                windows-1254 windows-1255 windows-1256 windows-1257 windows-1258' -- "$cur"))
            return
            ;;
        --color)
            # A bare --color takes no word after it: only --color=WHEN has a value.
            if $split; then
                COMPREPLY=($(compgen -W 'auto always never' -- "$cur"))
                return
            fi
            ;;
    esac
    $split && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--find --replace --sets --separator --whole-file --output-dir
            --extension --dry-run --jobs --code-page --quiet --diff --unified= --color --color=
            --keep-tree --base --files-from --null --json --help --version' -- "$cur"))
        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
        return
    fi

    _filedir
} &&
    complete -F _tessaly_cli tessaly-cli

# ex: filetype=sh

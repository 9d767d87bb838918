# SPDX-License-Identifier: GPL-3.0-or-later
# Bash completion for quillet-export: its options, the output formats after --format, folders
# after --output-dir, and note files (.vnt in any letter case) and folders everywhere else.

_quillet_export()
{
    local cur prev words cword split
    _init_completion -s || return

    case $prev in
        --format)
            COMPREPLY=($(compgen -W 'text json jsonl markdown enex html csv' -- "$cur"))
            return
            ;;
        --output-dir)
            _filedir -d
            return
            ;;
        -h | --help | --help-all | -v | --version)
            return
            ;;
    esac
    $split && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '-h --help --help-all -v --version --format --short-date
            -r --recursive --output-dir --force --lenient' -- "$cur"))
        return
    fi

    _filedir '[vV][nN][tT]'
} &&
    complete -F _quillet_export quillet-export

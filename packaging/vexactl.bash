# bash completion for vexactl                                   -*- shell-script -*-
# Installed as /usr/share/bash-completion/completions/vexactl, where bash-completion finds it
# the first time vexactl is completed.

_vexactl_commands='ports info read get set reference export diff restore flash monitor help'
_vexactl_options='--port --com --port-file --demo --json --quiet --timeout --count --force --no-backup --dry-run --keep-parameters --help --version'
# The options that take a value as the next word.
_vexactl_valued='--port|--com|--port-file|--timeout|--count'
# The letters get reads and those set writes, in the controller's read-back order.
_vexactl_readable='CABDEFG!@#$HIJK%^&()_+LRT`YZQ4567MNOPabcdef=ghijklmnopqrstuvwxyz'
_vexactl_settable='CABDEFG!@#$JK%^&()_+LRT`YZQMNOPabcdef=ghi'

# Adds each letter of $1 that, followed by $2, starts the word being completed; quoted for the
# shell where it needs it ('$', '`', '(', '&', '#' ...).
_vexactl_letters()
{
    local typed letter k
    typed=$(dequote "$cur")
    for ((k = 0; k < ${#1}; k++)); do
        letter=${1:k:1}
        [[ $letter$2 == "$typed"* ]] && COMPREPLY+=("$(printf '%q' "$letter")$2")
    done
}

# Files and folders, and of the files only firmware images: names ending in "bin", as
# vexactl flash takes them.
_vexactl_images()
{
    _filedir
    local -a images=()
    local name
    for name in "${COMPREPLY[@]}"; do
        [[ -d $name || $name == *bin ]] && images+=("$name")
    done
    COMPREPLY=("${images[@]}")
}

_vexactl()
{
    local cur prev words cword split
    _init_completion -s -n = || return

    case $prev in
        --port)
            COMPREPLY=($(compgen -W "$(printf 'COM%d ' {1..20})" -- "$cur"))
            [[ $cur == /* ]] && _filedir
            return
            ;;
        --port-file)
            _filedir
            return
            ;;
        --com | --timeout | --count)
            return
            ;;
    esac
    $split && return

    # The command is the first word that is no option nor an option's value; `given` counts
    # the arguments after it.
    local i command='' given=0
    for ((i = 1; i < cword; i++)); do
        if [[ -n $command ]]; then
            [[ ${words[i]} != -* ]] && ((given++))
        elif [[ ${words[i]} == @($_vexactl_valued) ]]; then
            ((i++))
        elif [[ ${words[i]} != -* ]]; then
            command=${words[i]}
        fi
    done

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$_vexactl_options" -- "$cur"))
        return
    fi

    case $command in
        '')
            COMPREPLY=($(compgen -W "$_vexactl_commands" -- "$cur"))
            ;;
        help)
            ((given == 0)) && COMPREPLY=($(compgen -W "$_vexactl_commands" -- "$cur"))
            ;;
        get)
            _vexactl_letters "$_vexactl_readable" ''
            ;;
        set)
            [[ $cur == *=* ]] && return
            _vexactl_letters "$_vexactl_settable" '='
            compopt -o nospace
            ;;
        reference)
            ((given == 0)) && COMPREPLY=($(compgen -W '0 1 2 3' -- "$cur"))
            ;;
        export | diff | restore)
            ((given == 0)) && _filedir
            ;;
        flash)
            ((given == 0)) && _vexactl_images
            ;;
    esac
} &&
    complete -F _vexactl vexactl

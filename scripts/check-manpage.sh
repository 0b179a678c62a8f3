#!/usr/bin/env bash
# Checks that the manual page of quilm-cli names every command and every option that the
# program's own --help texts list.
# usage: scripts/check-manpage.sh QUILM_CLI MANPAGE
set -euo pipefail
cli=$1
page=$2
text=$(sed 's/\\-/-/g' "$page")
missing=0
commands=$("$cli" --help | sed -n '/^Commands:/,/^$/p' | sed -n 's/^  \([a-z][a-z ]*[a-z]\)  .*/\1/p')
[ -n "$commands" ] || { echo "check-manpage: no commands in $cli --help" >&2; exit 1; }
while read -r command; do
    if ! grep -q "^\.SS \"$command " <<<"$text"; then
        echo "check-manpage: command '$command' is not in $page" >&2
        missing=1
    fi
    # shellcheck disable=SC2086
    for option in $("$cli" $command --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
        [ "$option" = "--help" ] && continue
        if ! grep -q -- "$option" <<<"$text"; then
            echo "check-manpage: option $option of '$command' is not in $page" >&2
            missing=1
        fi
    done
done <<<"$commands"
[ $missing -eq 0 ] && echo "check-manpage: $(wc -l <<<"$commands") commands, all in $page"
exit $missing

#!/usr/bin/env bash
# check-docs must pass examples that print what they show, and name every one that does not.
#   check_docs_test.sh BUILD_DIR
set -euo pipefail
build=$1
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fence='```'

# Standard output and error in a terminal's order, the exit status kept across commands, the
# scratch folder's bundled data, "..." for any lines, and an example that is not run.
cat >"$work/right.md" <<END
${fence}console
\$ echo out; echo err >&2; false
out
err
\$ echo \$?
1
\$ ls data | head -n 1; test -f SW-All.csv && echo SW-All.csv
1979.dat
SW-All.csv
\$ printf 'a\nb\nc\nd\n'
a
...
d
${fence}

<!-- not checked: shows a command that fails -->
${fence}console
\$ false
something else
${fence}
END
"$repo/scripts/check-docs" --build "$build" "$work/right.md" >"$work/out" 2>&1 ||
    { cat "$work/out"; echo "check-docs refused examples that print what they show" >&2; exit 1; }
grep -q "1 not run" "$work/out" || { cat "$work/out"; exit 1; }

# A line that differs, a line missing, and a file of another example (each example has a
# fresh folder): each named.
cat >"$work/wrong.md" <<END
${fence}console
\$ echo right; touch made-here
wrong
\$ printf 'a\nb\n'
a
${fence}

${fence}console
\$ ls made-here
made-here
${fence}
END
if "$repo/scripts/check-docs" --build "$build" "$work/wrong.md" >"$work/out" 2>&1; then
    cat "$work/out"; echo "check-docs passed examples that differ" >&2; exit 1
fi
for expected in "wrong.md:2: \$ echo right" "+right" "wrong.md:4: \$ printf" "+b" \
    "wrong.md:9: \$ ls made-here" "3 differences"; do
    grep -qF -- "$expected" "$work/out" ||
        { cat "$work/out"; echo "check-docs did not say: $expected" >&2; exit 1; }
done

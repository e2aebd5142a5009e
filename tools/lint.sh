#!/usr/bin/env bash
# Static checks of the project's own C++ sources, through the build folder's compile database:
#   includes      every include between folders is an edge README.md allows
#   clang-format  the checked-in .clang-format, nothing to change
#   clang-tidy    the checks of .clang-tidy, no finding
#   cppcheck      warning, performance and portability checks, no finding
#                 (suppressions with their reasons: .cppcheck-suppressions)
# Every tool runs even when an earlier one fails; the script fails if any did.
#
# Usage: tools/lint.sh BUILD_DIR    (a configured build folder; `make lint` configures build/)
# Environment: LINT_JOBS  parallel jobs (default: the number of processors)
#              LINT_SKIP_TIDY=1  leave out clang-tidy, the slow one (a quick check while editing)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

build=${1:?usage: tools/lint.sh BUILD_DIR}
build=$(cd "$build" && pwd)
jobs=${LINT_JOBS:-$(nproc)}
[ -f "$build/compile_commands.json" ] || {
    echo "lint: $build/compile_commands.json is missing; configure the build first" >&2
    exit 1
}

tools/install-deps.sh clang-format clang-tidy clang-tools cppcheck python3

# The project's own sources: what git tracks, without generated or third-party files.
mapfile -t sources < <(git ls-files -- '*.cpp' '*.h')
dirs='app|cli|data|dating|estimate|ui|tests'
failed=()

echo "== includes between folders"
python3 tools/check-includes.py "$root" || failed+=(includes)

echo "== clang-format"
unformatted=()
for f in "${sources[@]}"; do
    clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || unformatted+=("$f")
done
if [ ${#unformatted[@]} -eq 0 ]; then
    echo "   ${#sources[@]} files formatted as .clang-format says"
else
    printf '   not formatted: %s\n' "${unformatted[@]}" >&2
    clang-format --dry-run "${unformatted[0]}" 2>&1 | head -n 12 >&2
    echo "   fix with: clang-format -i ${unformatted[*]}" >&2
    failed+=(clang-format)
fi

# Generated sources that the project's files include (moc output) must exist for the checks.
mapfile -t autogen < <(cmake --build "$build" --target help | sed -n 's/^\.\.\. \(.*_autogen\)$/\1/p')
if [ ${#autogen[@]} -gt 0 ]; then
    cmake --build "$build" -j "$jobs" --target "${autogen[@]}" >/dev/null
fi

# A compile database of the project's own translation units only.
project_db="$build/lint"
mkdir -p "$project_db"
python3 - "$build/compile_commands.json" "$project_db/compile_commands.json" "$root" "$dirs" <<'PY'
import json, re, sys
source, target, root, dirs = sys.argv[1:5]
own = re.compile(re.escape(root) + r"/(" + dirs + r")/")
entries = [e for e in json.load(open(source)) if own.match(e["file"])]
json.dump(entries, open(target, "w"), indent=1)
PY

if [ -n "${LINT_SKIP_TIDY:-}" ]; then echo "== clang-tidy skipped"; else
echo "== clang-tidy"
tidy_log="$project_db/clang-tidy.log"
if run-clang-tidy -p "$project_db" -j "$jobs" -quiet "^$root/($dirs)/" >"$tidy_log" 2>&1; then
    echo "   no findings ($(grep -c '"file"' "$project_db/compile_commands.json") files)"
else
    sed 's/\x1b\[[0-9;]*m//g' "$tidy_log" | grep -E -A3 '(warning|error):' | grep -v '^clang-tidy-' >&2 || cat "$tidy_log" >&2
    failed+=(clang-tidy)
fi
fi

echo "== cppcheck"
# Each file under the build's own defines and the project's include folders only: Qt's and the
# standard library's headers are not checked (cppcheck knows them from its qt and std
# configurations), and moc's output is left out, as it needs the real Qt headers. The files are
# named by absolute path, as the include folders are: a header reached by two spellings of its
# path would be read twice despite its #pragma once.
mapfile -t cppcheck_args < <(python3 - "$project_db/compile_commands.json" "$root" <<'PY'
import json, shlex, sys
entries = json.load(open(sys.argv[1]))
root = sys.argv[2]
flags = []
for e in entries:
    words = shlex.split(e["command"]) if "command" in e else e["arguments"]
    for w in words:
        if w.startswith("-D") and len(w) > 2:
            flags.append(w)
        elif w.startswith("-I") and w[2:].startswith(root) and "_autogen" not in w:
            flags.append(w)
for f in dict.fromkeys(flags):
    print(f)
PY
)
cppcheck_log="$project_db/cppcheck.log"
if cppcheck --enable=warning,performance,portability --error-exitcode=1 --inline-suppr \
        --std=c++20 --language=c++ --library="$root/tools/lint-cppcheck.cfg" --library=qt \
        --suppressions-list="$root/.cppcheck-suppressions" -j "$jobs" --quiet \
        --template='{file}:{line}:{column}: {severity}: {message} [{id}]' \
        "${cppcheck_args[@]}" \
        $(printf "$root/%s\n" "${sources[@]}" | grep -E '\.cpp$') >"$cppcheck_log" 2>&1; then
    echo "   no findings"
else
    cat "$cppcheck_log" >&2
    failed+=(cppcheck)
fi

if [ ${#failed[@]} -gt 0 ]; then
    echo "lint: findings from ${failed[*]}" >&2
    exit 1
fi
echo "lint: clean"

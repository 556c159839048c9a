#!/usr/bin/env bash
# The data file checker as its users run it: exit status, one finding a line,
# its help, and its place beside mnemora after an install.
#   check_cli.sh <mnemora-check binary> <source dir> <build dir>
set -uo pipefail

bin="$1"
src="$2"
build="$3"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# The sample we ship reads exactly as written.
out="$("$bin" "$src/examples/Mnemora.ini")"; status=$?
[ "$status" -eq 0 ] || fail "the sample gives exit status $status: $out"
grep -qx "$src/examples/Mnemora.ini: сведения: кодировка: Windows-1251" <<<"$out" || fail "no encoding line: $out"
grep -qx "$src/examples/Mnemora.ini:2: сведения: восприятий: 10" <<<"$out" || fail "no perception count: $out"
[ "$(tail -n 1 <<<"$out")" = "ошибок: 0, предупреждений: 0" ] || fail "no summary line: $out"

# A UTF-8 file with a gap and a key that is never read: warnings, status 1.
printf '[Disk]\n0=Зрение\n1=Слух\n[List1]\n0=Вспомните:\n1=Утро?\n01=Вечер?\n3=Ночь?\n' > "$work/gap.ini"
out="$("$bin" "$work/gap.ini")"; status=$?
[ "$status" -eq 1 ] || fail "a file with warnings gives exit status $status"
grep -qx "$work/gap.ini: сведения: кодировка: UTF-8" <<<"$out" || fail "UTF-8 not named: $out"
grep -q "^$work/gap.ini:7: предупреждение: ключ «01» никогда не читается" <<<"$out" || fail "no leading-zero line: $out"
grep -q "^$work/gap.ini:6: предупреждение: \[List1\]: нет вопроса 2" <<<"$out" || fail "no gap line: $out"

# Files that cannot be used: status 2.
printf '[Disk]\n0=Одно\n' > "$work/one.ini"
"$bin" "$work/one.ini" >/dev/null; [ $? -eq 2 ] || fail "one perception is not status 2"
"$bin" "$work/none.ini" >/dev/null; [ $? -eq 2 ] || fail "a missing file is not status 2"
mkfifo "$work/fifo"
timeout 10 "$bin" "$work/fifo" >/dev/null; status=$?
[ "$status" -eq 2 ] || fail "a FIFO gives status $status (124 means it blocked)"

# The command line: help, usage errors.
"$bin" --help | grep -q "^Использование: mnemora-check ФАЙЛ" || fail "--help has no usage line"
"$bin" >/dev/null 2>&1; [ $? -eq 2 ] || fail "no file named is not status 2"
"$bin" a b >/dev/null 2>&1; [ $? -eq 2 ] || fail "two files named is not status 2"
"$bin" --bogus >/dev/null 2>&1; [ $? -eq 2 ] || fail "an unknown option is not status 2"
cp "$work/gap.ini" "$work/-dash.ini"
(cd "$work" && "$bin" -- -dash.ini >/dev/null); [ $? -eq 1 ] || fail "-- does not end the options"

# Installed beside mnemora, with its manual page.
cmake --install "$build" --component mnemora-check --prefix "$work/prefix" >/dev/null || fail "cmake --install failed"
[ -x "$work/prefix/bin/mnemora-check" ] || fail "mnemora-check is not installed in bin/"
[ -f "$work/prefix/share/man/man1/mnemora-check.1" ] || fail "the manual page is not installed"
if command -v groff >/dev/null; then
  groff -man -Tutf8 -K utf8 -ww -z "$work/prefix/share/man/man1/mnemora-check.1" 2>"$work/groff.err"
  [ ! -s "$work/groff.err" ] || fail "the manual page has markup faults: $(cat "$work/groff.err")"
fi

echo "PASS"

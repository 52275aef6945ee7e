#!/usr/bin/env bash
# scenarioc pack on the real installers, the Linux one and the Windows .exe
# (under Wine): each packed installer, alone in an empty folder, must install
# exactly its scenario, and a damaged one must refuse with status 2 and leave
# its folder as it was. Run by scripts/ci_windows.sh; needs no display.
# With WINDOWS_SCENARIOC, also scenarioc.exe pack, run under Wine beside the
# Windows installer, must write the same bytes as the Linux scenarioc.
#   scripts/check_packed_installers.sh SCENARIOC LINUX_INSTALLER WINDOWS_INSTALLER [WINDOWS_SCENARIOC]
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
source scripts/lib/installer_files.sh
scenarioc="$(realpath "$1")"
linux_installer="$(realpath "$2")"
windows_installer="$(realpath "$3")"
windows_scenarioc="${4:+$(realpath "$4")}"
wine_run="$root/cmake/wine_run.sh"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
failed() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# run_alone EXECUTABLE: runs it from another folder, by Wine for a .exe;
# prints nothing, returns its status.
run_alone() {
  local exe="$1" status=0
  if [[ "$exe" == *.exe ]]; then
    (cd / && timeout 300 "$wine_run" "$exe" </dev/null >/dev/null 2>"$work/last.err") || status=$?
  else
    (cd / && env -u DISPLAY "$exe" </dev/null >/dev/null 2>"$work/last.err") || status=$?
  fi
  return "$status"
}

# expect_folder FOLDER NAME... : FOLDER holds exactly these files.
expect_folder() {
  local folder="$1" expected actual
  shift
  expected="$(printf '%s\n' "$@" | LC_ALL=C sort)"
  actual="$(cd "$folder" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort)"
  if [ "$expected" != "$actual" ]; then
    echo "  $folder does not hold exactly the expected files:"
    diff <(echo "$expected") <(echo "$actual") | sed 's/^/    /'
    return 1
  fi
}

# same_as FOLDER REFERENCE NAME...: each named file is byte-identical.
same_as() {
  local folder="$1" reference="$2" name status=0
  shift 2
  for name in "$@"; do
    cmp -- "$folder/$name" "$reference/$name" || status=1
  done
  return "$status"
}

echo "== the built-in installer lists its own scenario"
"$scenarioc" unpack --list "$windows_installer" | tee "$work/list.txt" | sed 's/^/  /'
grep -qx "payload: none, the installer's built-in scenario" "$work/list.txt" ||
  failed "the Windows installer took its own reader's constants for a payload"

echo "== reference: the built-in Linux installer alone in an empty folder"
mkdir "$work/reference"
cp "$linux_installer" "$work/reference/"
run_alone "$work/reference/$(basename "$linux_installer")" || failed "the built-in installer failed"

echo "== the built-in scenario from 'scenarioc sources', packed, installs the same six files"
"$scenarioc" sources "$work/builtin" >/dev/null
# sources writes the two sources; the documents come from the built-in installer.
"$scenarioc" unpack "$linux_installer" "$work/documents" >/dev/null
cp "$work/documents/"*_note.txt "$work/documents/"*_rallentamenti.txt \
  "$work/documents/"*_scheda_treno.txt "$work/builtin/"
mkdir "$work/packed-linux" "$work/packed-windows"
"$scenarioc" pack "$work/builtin" --installer "$linux_installer" \
  -o "$work/packed-linux/fiumicino_roma_3291" | sed 's/^/  /'
# Without -o, from a Windows starting point: NAME_NUMBER.exe in the current folder.
(cd "$work/packed-windows" && "$scenarioc" pack ../builtin --installer "$windows_installer") |
  sed 's/^/  /'
for packed in "$work/packed-linux/fiumicino_roma_3291" \
  "$work/packed-windows/Fiumicino Aeroporto_Roma_3291.exe"; do
  folder="$(dirname "$packed")"
  if ! run_alone "$packed"; then
    failed "$packed ended with a failing status"
    continue
  fi
  expect_installer_files "$folder" "$(basename "$packed")" || failures=$((failures + 1))
  expect_same_files "$folder" "$work/reference" || failures=$((failures + 1))
done

echo "== a scenario of its own, with its own documents"
own=(Bracciano_Lago_2207_note.txt Bracciano_Lago_2207_scheda_treno.txt Bracciano_Lago_linea.dat
  Bracciano_Lago_2207.sim Bracciano_Lago_2207.dat)
"$scenarioc" sources "$work/own" --scenario Bracciano_Lago --train 2207 >/dev/null
printf 'Note di linea: Bracciano.\r\n' >"$work/own/Bracciano_Lago_2207_note.txt"
printf 'Treno 2207\r\nScheda del treno.\r\n' >"$work/own/Bracciano_Lago_2207_scheda_treno.txt"
cp -r "$work/own" "$work/own-compiled"
"$scenarioc" compile "$work/own-compiled" --keep-sources >/dev/null
mkdir "$work/own-exe" "$work/own-linux" "$work/own-signed"
(cd "$work/own-exe" && "$scenarioc" pack ../own --installer "$windows_installer" >/dev/null)
own_exe="$work/own-exe/Bracciano_Lago_2207.exe"
"$scenarioc" pack "$work/own" --installer "$linux_installer" -o "$work/own-linux/Bracciano_Lago_2207" \
  >/dev/null
# A signature appended to the .exe (8 KiB) must not stop it.
cp "$own_exe" "$work/own-signed/"
head -c 8192 /dev/urandom >>"$work/own-signed/Bracciano_Lago_2207.exe"
for packed in "$own_exe" "$work/own-linux/Bracciano_Lago_2207" \
  "$work/own-signed/Bracciano_Lago_2207.exe"; do
  folder="$(dirname "$packed")"
  if ! run_alone "$packed"; then
    failed "$packed ended with a failing status"
    continue
  fi
  if expect_folder "$folder" "$(basename "$packed")" "${own[@]}" &&
    same_as "$folder" "$work/own-compiled" "${own[@]}"; then
    echo "ok: $packed left its documents and the binary files of compile --keep-sources"
  else
    failed "$packed did not install exactly its scenario"
  fi
done

if [ -n "$windows_scenarioc" ]; then
  echo "== scenarioc.exe pack beside the installer, under Wine"
  mkdir "$work/windows-author"
  cp "$windows_scenarioc" "$windows_installer" "$work/windows-author/"
  cp -r "$work/own" "$work/windows-author/my_scenario"
  status=0
  (cd "$work/windows-author" && timeout 300 "$wine_run" scenarioc.exe pack my_scenario </dev/null) |
    tr -d '\r' | sed 's/^/  /' || status=$?
  if [ "$status" -ne 0 ] || ! cmp "$work/windows-author/Bracciano_Lago_2207.exe" "$own_exe"; then
    failed "scenarioc.exe pack under Wine (status $status) did not write the .exe the Linux scenarioc wrote"
  fi
fi

echo "== replacing a payload gives the same bytes as packing once"
"$scenarioc" pack "$work/own" --installer "$work/own-signed/Bracciano_Lago_2207.exe" \
  -o "$work/repacked.exe" >/dev/null
"$scenarioc" pack "$work/own" --installer "$work/repacked.exe" -o "$work/repacked.exe" >/dev/null
cmp "$work/repacked.exe" "$own_exe" || failed "a payload replaced twice differs from one packed once"

# The payload's pieces (docs/payload.md): "kind offset size" for each.
pieces() {
  local file="$1" begin="$2" at count kind size
  at=$((begin + 32))
  count="$(od -An -tu4 -j $((begin + 28)) -N4 "$file" | tr -d ' ')"
  for _ in $(seq "$count"); do
    kind="$(od -An -tu4 -j "$at" -N4 "$file" | tr -d ' ')"
    size="$(od -An -tu8 -j $((at + 4)) -N8 "$file" | tr -d ' ')"
    echo "$kind $((at + 12)) $size"
    at=$((at + 12 + size))
  done
}

# damage_cases PACKED BEGIN: makes one damaged copy per case in $work/damaged/.
damage_cases() {
  local packed="$1" begin="$2" end kind at size name
  end="$(stat -c %s "$packed")"
  rm -rf "$work/damaged"
  mkdir "$work/damaged"
  name="$(basename "$packed")"
  cp "$packed" "$work/damaged/header-marker"
  flip_byte "$work/damaged/header-marker" $((begin + 5))
  cp "$packed" "$work/damaged/header-size"
  flip_byte "$work/damaged/header-size" $((begin + 21))
  cp "$packed" "$work/damaged/header-count"
  flip_byte "$work/damaged/header-count" $((begin + 28))
  while read -r kind at size; do
    cp "$packed" "$work/damaged/piece-$kind"
    flip_byte "$work/damaged/piece-$kind" $((at + size / 2))
  done < <(pieces "$packed" "$begin")
  cp "$packed" "$work/damaged/checksum"
  flip_byte "$work/damaged/checksum" $((end - 30))
  cp "$packed" "$work/damaged/end-marker"
  flip_byte "$work/damaged/end-marker" $((end - 3))
  for cut in $((begin + 6)) $((begin + 30)) $(((begin + end) / 2)) $((end - 48)) $((end - 1)); do
    cp "$packed" "$work/damaged/cut-at-$cut"
    truncate -s "$cut" "$work/damaged/cut-at-$cut"
  done
  cp "$packed" "$work/damaged/version-2"
  printf '\x02' | dd of="$work/damaged/version-2" bs=1 seek=$((begin + 16)) conv=notrunc status=none
  # A hand-made payload whose name leads out of the folder, its checksum right.
  cp "$packed" "$work/damaged/dotdot-name"
  read -r kind at size < <(pieces "$packed" "$begin" | head -1)
  printf '../cciano_Lago' | dd of="$work/damaged/dotdot-name" bs=1 seek="$at" conv=notrunc status=none
  local sum
  sum="$(head -c $((end - 48)) "$work/damaged/dotdot-name" | tail -c +$((begin + 1)) |
    sha256sum | cut -c1-64)"
  # shellcheck disable=SC2059
  printf "$(sed 's/../\\x&/g' <<<"$sum")" |
    dd of="$work/damaged/dotdot-name" bs=1 seek=$((end - 48)) conv=notrunc status=none
}

check_damaged() {  # PACKED BEGIN
  local packed="$1" begin="$2" case folder status before="$failures"
  damage_cases "$packed" "$begin"
  for case in "$work/damaged/"*; do
    folder="$work/run-$(basename "$case")"
    mkdir "$folder"
    cp "$case" "$folder/$(basename "$packed")"
    printf 'earlier install' >"$folder/Bracciano_Lago_2207.dat"
    printf 'old notes' >"$folder/Bracciano_Lago_2207_note.txt"
    status=0
    run_alone "$folder/$(basename "$packed")" || status=$?
    if [ "$status" -ne 2 ]; then
      failed "$(basename "$packed"), $(basename "$case"): status $status, not 2"
    elif ! expect_folder "$folder" "$(basename "$packed")" Bracciano_Lago_2207.dat \
      Bracciano_Lago_2207_note.txt ||
      [ "$(cat "$folder/Bracciano_Lago_2207.dat")" != "earlier install" ] ||
      [ "$(cat "$folder/Bracciano_Lago_2207_note.txt")" != "old notes" ]; then
      failed "$(basename "$packed"), $(basename "$case"): the folder changed"
    elif [ -s "$work/last.err" ] && ! grep -q "is damaged" "$work/last.err"; then
      failed "$(basename "$packed"), $(basename "$case"): the console does not say it is damaged"
      sed 's/^/  /' "$work/last.err"
    fi
    rm -rf "$folder"
  done
  [ "$failures" -ne "$before" ] ||
    echo "ok: $(basename "$packed"): $(ls "$work/damaged" | wc -l) damaged copies refused, folders untouched"
}

echo "== damaged payloads: a byte flipped in the header and in each piece, cuts, another version, ../"
check_damaged "$work/own-linux/Bracciano_Lago_2207" "$(stat -c %s "$linux_installer")"
check_damaged "$own_exe" "$(stat -c %s "$windows_installer")"

echo "== pack refuses a scenario with a fault, and with --werror one with a warning"
"$scenarioc" sources "$work/faulty" >/dev/null
status=0
sed -i 's/^\[fine\]/pendenza,  41901,   0\r\n[fine]/' "$work/faulty/Fiumicino Aeroporto_Roma_linea.txt"
"$scenarioc" pack "$work/faulty" --installer "$windows_installer" -o "$work/faulty.exe" \
  2>"$work/faulty.err" || status=$?
if [ "$status" -ne 1 ] || [ -e "$work/faulty.exe" ] || ! grep -q ": error: " "$work/faulty.err"; then
  failed "pack of a faulty scenario: status $status"
  sed 's/^/  /' "$work/faulty.err"
fi

"$scenarioc" sources "$work/warned" >/dev/null
sed -i 's/^\[fine\]/pendnza, 3000, 0\r\n[fine]/' "$work/warned/Fiumicino Aeroporto_Roma_linea.txt"
status=0
"$scenarioc" pack "$work/warned" --werror --installer "$windows_installer" -o "$work/warned.exe" \
  2>"$work/warned.err" || status=$?
if [ "$status" -ne 1 ] || [ -e "$work/warned.exe" ] || ! grep -q ": warning: " "$work/warned.err"; then
  failed "pack --werror of a warned scenario: status $status"
  sed 's/^/  /' "$work/warned.err"
fi
"$scenarioc" pack "$work/warned" --installer "$windows_installer" -o "$work/warned.exe" 2>/dev/null |
  sed 's/^/  /' || true
[ -e "$work/warned.exe" ] || failed "pack without --werror refused a scenario with a warning only"

echo "== sizes"
for file in "$linux_installer" "$windows_installer" "$work/own-linux/Bracciano_Lago_2207" "$own_exe"; do
  echo "  $(stat -c %s "$file") bytes  $(basename "$file")"
done

if [ "$failures" -ne 0 ]; then
  echo "FAIL: $failures packed-installer checks failed"
  exit 1
fi
echo "PASS: packed installers"

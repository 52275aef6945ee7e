# Shared by the CI checks: what a complete installer run leaves in its folder.
# Source it; the functions print what is wrong and return 1.

# The six files of a complete run, and nothing else besides the executable.
INSTALLER_FILES=(
  "Fiumicino Aeroporto_Roma_3291_note.txt"
  "Fiumicino Aeroporto_Roma_3291_rallentamenti.txt"
  "Fiumicino Aeroporto_Roma_3291_scheda_treno.txt"
  "Fiumicino Aeroporto_Roma_linea.dat"
  "Fiumicino Aeroporto_Roma_3291.sim"
  "Fiumicino Aeroporto_Roma_3291.dat"
)

# expect_installer_files FOLDER EXECUTABLE_NAME
expect_installer_files() {
  local folder="$1" exe="$2" expected actual
  expected="$(printf '%s\n' "${INSTALLER_FILES[@]}" "$exe" | LC_ALL=C sort)"
  actual="$(cd "$folder" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort)"
  if [ "$expected" != "$actual" ]; then
    echo "FAIL: $folder does not hold exactly the six files and $exe:"
    diff <(echo "$expected") <(echo "$actual") | sed 's/^/  /'
    return 1
  fi
  echo "ok: $folder holds the six files and nothing else"
}

# expect_same_files FOLDER REFERENCE_FOLDER
expect_same_files() {
  local folder="$1" reference="$2" file status=0
  for file in "${INSTALLER_FILES[@]}"; do
    if ! cmp -- "$folder/$file" "$reference/$file"; then
      echo "FAIL: '$file' differs from the reference run"
      status=1
    fi
  done
  [ "$status" -ne 0 ] || echo "ok: the six files are byte-identical to the reference run"
  return "$status"
}

# flip_byte FILE OFFSET: changes one bit of the byte at OFFSET, in place.
flip_byte() {
  local file="$1" at="$2" byte
  byte="$(od -An -tu1 -j "$at" -N1 "$file" | tr -d ' ')"
  # shellcheck disable=SC2059
  printf "\\x$(printf %02x $((byte ^ 0x20)))" | dd of="$file" bs=1 seek="$at" conv=notrunc status=none
}

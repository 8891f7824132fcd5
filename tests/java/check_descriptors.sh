#!/usr/bin/env bash
# Compares the compiled classes (the kit's, and the stand-in's main class of the other product
# kinds) with what the launcher expects of them: every entry of the registration list must be
# a static native method of its class with exactly that JNI descriptor, every native method of
# those classes must be in the list (create0 is exported but never registered), and the
# members the launcher calls must exist with their descriptors.
#   check_descriptors.sh JAVAP CLASSPATH NATIVE_METHODS_INC
set -euo pipefail
exec </dev/null

javap="$1"
classpath="$2"
inc="$3"
package=com.quillpack.runtime.installer.platform.win32

# "Class method descriptor", one line per registered native.
registered="$(sed -n 's/^QPK_NATIVE(\([A-Za-z0-9_]*\), *\([A-Za-z0-9_]*\), *"\([^"]*\)")$/\1 \2 \3/p' "$inc")"
if [ -z "$registered" ]; then
  echo "no QPK_NATIVE entries in $inc"
  exit 1
fi
classes="$(cut -d' ' -f1 <<<"$registered" | awk '!seen[$0]++')"

launcher_members=(
  "com.quillpack.runtime.launcher.WinLauncher main ([Ljava/lang/String;)V static"
  "com.corvo.runtime.WinLauncher main ([Ljava/lang/String;)V static"
  "com.corvo.runtime.WinLauncher initAwtSplashConfig (ZZLjava/lang/String;IILjava/lang/String;IILjava/lang/String;IILjava/lang/String;II)V static"
  "$package.Common initFromLauncher (Z)V static"
  "com.corvo.runtime.util.WinDel externalExecutable Ljava/lang/String; static"
  "com.quillpack.api.windows.WinRegistry\$ExpandString <init> (Ljava/lang/String;)V instance"
  "$package.ObjectPicker\$Result <init> (Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;)V instance"
)
unregistered=("ShellLink create0")

wanted=()
while read -r class; do
  wanted+=("$package.$class")
done <<<"$classes"
for member in "${launcher_members[@]}"; do
  wanted+=("${member%% *}")
done
mapfile -t wanted < <(printf '%s\n' "${wanted[@]}" | awk '!seen[$0]++')

# javap prints a member's declaration, then its descriptor on the next line; this turns the
# pair into "class name descriptor static native" (the last two as 1 or 0).
members="$("$javap" -s -p -cp "$classpath" "${wanted[@]}" | awk '
  /^[^ ].*(class|interface) [^ ]+.*\{$/ {
    for (i = 1; i <= NF; i++) if ($i == "class" || $i == "interface") { cls = $(i + 1); break }
    next
  }
  /^    descriptor: / {
    if (name != "") print cls, name, $2, isStatic, isNative
    name = ""
    next
  }
  /^  [^ ]/ {
    decl = $0
    sub(/;$/, "", decl)
    head = decl
    sub(/\(.*$/, "", head)
    n = split(head, words, " ")
    name = words[n]
    if (name == cls) name = "<init>"
    isStatic = (decl ~ /(^| )static /) ? 1 : 0
    isNative = (decl ~ /(^| )native /) ? 1 : 0
  }
')"

failed=0
fail() {
  echo "$1"
  failed=1
}
found() {  # class name descriptor static native
  grep -qxF "$1 $2 $3 $4 $5" <<<"$members"
}
declared_as() {  # class name: what the class declares under that name
  awk -v c="$1" -v n="$2" '$1 == c && $2 == n { print "    " $3 " static=" $4 " native=" $5 }' <<<"$members"
}

for class in "${wanted[@]}"; do
  awk -v c="$class" '$1 == c { f = 1 } END { exit !f }' <<<"$members" \
    || fail "class $class is missing from $classpath"
done

while read -r class method descriptor; do
  if ! found "$package.$class" "$method" "$descriptor" 1 1; then
    fail "$class.$method is registered as $descriptor, but the class declares:"
    declared_as "$package.$class" "$method"
  fi
done <<<"$registered"

while read -r class method descriptor _ native; do
  [ "$native" = 1 ] || continue
  short="${class#"$package".}"
  for skip in "${unregistered[@]}"; do
    [ "$short $method" = "$skip" ] && continue 2
  done
  grep -qxF "$short $method $descriptor" <<<"$registered" \
    || fail "native $short.$method $descriptor is not in the registration list"
done < <(grep -E "^$package\\.[A-Za-z0-9_]+ " <<<"$members")

for member in "${launcher_members[@]}"; do
  read -r class name descriptor kind <<<"$member"
  static=0
  [ "$kind" = static ] && static=1
  if ! found "$class" "$name" "$descriptor" "$static" 0; then
    fail "$class.$name $descriptor ($kind) is missing; the class declares:"
    declared_as "$class" "$name"
  fi
done

duplicates="$(cut -d' ' -f1,2 <<<"$registered" | sort | uniq -d)"
[ -z "$duplicates" ] || fail "registered twice: $duplicates"

if [ "$failed" = 0 ]; then
  echo "$(wc -l <<<"$registered") registered natives and ${#launcher_members[@]} launcher members match"
fi
exit "$failed"

#!/usr/bin/env bash
# Runs the stand-in's main classes under the host JDK and checks the record that the launcher
# tests read: its lines and their escaping, the steps in order, the exit code of "exit:N", a
# non-daemon thread that the JVM waits for, and a failing step.
#   record_test.sh JAVA CLASSPATH WORK_DIR
set -uo pipefail
exec </dev/null

java="$1"
classpath="$2"
work="$3"
# Options from the environment would show up among the JVM options the record lists.
unset JAVA_TOOL_OPTIONS JDK_JAVA_OPTIONS _JAVA_OPTIONS QPK_JAVA_RECORD QPK_JAVA_ACTION
rm -rf "$work"
mkdir -p "$work"

failed=0
fail() {
  echo "FAIL: $1"
  failed=1
}
expect_line() {  # file line
  grep -qxF -- "$2" "$1" || fail "$1 lacks the line: $2"
}

# Arguments and properties with line breaks and backslashes; the thread outlives main, so
# its line comes last only if the JVM waited for it.
record="$work/plain.txt"
QPK_JAVA_RECORD="$record" QPK_JAVA_ACTION="thread:300,sleep:10" \
  "$java" "-Dqpktest.text=one
two" '-Dcorvo.tempDir=C:\temp\x' -cp "$classpath" com.quillpack.runtime.launcher.WinLauncher \
  first 'second arg' $'cr\rlf' >"$work/plain.out" 2>&1
code=$?
[ "$code" = 0 ] || fail "plain run ended with $code"
[ -s "$work/plain.out" ] && fail "plain run wrote to its output although it had a record file"
expect_line "$record" "main=com.quillpack.runtime.launcher.WinLauncher"
expect_line "$record" "args=3"
expect_line "$record" "arg.1=second arg"
expect_line "$record" 'arg.2=cr\rlf'
expect_line "$record" 'prop.qpktest.text=one\ntwo'
expect_line "$record" 'prop.corvo.tempDir=C:\temp\x'
expect_line "$record" "prop.java.class.path=$classpath"
expect_line "$record" "vmargs=2"
expect_line "$record" 'vmarg.0=-Dqpktest.text=one\ntwo'
expect_line "$record" 'vmarg.1=-Dcorvo.tempDir=C:\temp\x'
expect_line "$record" "initFromLauncher="
expect_line "$record" "externalExecutable=null"
expect_line "$record" "splash=none"
grep -qxE 'pid=[0-9]+' "$record" || fail "no pid line"
tail_lines="$(sed -n '/^recorded=1$/,$p' "$record" | tr '\n' ' ')"
[ "$tail_lines" = "recorded=1 step=thread:300 step=sleep:10 thread=done " ] \
  || fail "plain run ended with: $tail_lines"

# exit:N ends the process with N before any later step.
record="$work/exit.txt"
QPK_JAVA_RECORD="$record" QPK_JAVA_ACTION="sleep:1,exit:3,sleep:1" \
  "$java" -cp "$classpath" com.corvo.runtime.WinLauncher >"$work/exit.out" 2>&1
code=$?
[ "$code" = 3 ] || fail "exit:3 ended with $code"
expect_line "$record" "main=com.corvo.runtime.WinLauncher"
tail_lines="$(sed -n '/^recorded=1$/,$p' "$record" | tr '\n' ' ')"
[ "$tail_lines" = "recorded=1 step=sleep:1 " ] || fail "exit run ended with: $tail_lines"

# Without a record file the same lines go to standard output; no action means return.
"$java" -cp "$classpath" com.corvo.runtime.WinLauncher x >"$work/stdout.out" 2>"$work/stdout.err"
code=$?
[ "$code" = 0 ] || fail "run without record ended with $code"
expect_line "$work/stdout.out" "arg.0=x"
[ "$(tail -n 2 "$work/stdout.out" | tr '\n' ' ')" = "recorded=1 step=return " ] \
  || fail "run without record ended with: $(tail -n 2 "$work/stdout.out")"

# A failing step leaves main with its exception, and no step line.
record="$work/throw.txt"
QPK_JAVA_RECORD="$record" QPK_JAVA_ACTION="throw,sleep:1" \
  "$java" -cp "$classpath" com.quillpack.runtime.launcher.WinLauncher >"$work/throw.out" 2>&1
code=$?
[ "$code" = 1 ] || fail "throw ended with $code"
grep -qF "java.lang.IllegalStateException: stand-in failure" "$work/throw.out" \
  || fail "throw did not report the stand-in failure"
[ "$(tail -n 1 "$record")" = "recorded=1" ] || fail "throw run wrote a step line"

[ "$failed" = 0 ] && echo "stand-in record checks passed"
exit "$failed"

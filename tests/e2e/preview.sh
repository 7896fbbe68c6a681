#!/usr/bin/env bash
# `kolva --preview`, `--history` and `--help` of the real binary, with no
# display: a day with a 休 entry, a plain day, a bad date, an unreadable
# list; nothing is written into the application folder.
#   preview.sh APP_DIR TEST_BIN_DIR
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
e2e_app "$1"
unset DISPLAY QT_QPA_PLATFORM

song=$work/media/tone.wav
e2e_tone "$song"
{
  attrs='Holidays="True"' e2e_task 上课铃 08:00:00 False "$song"
  enabled=False e2e_task 停用 09:00:00 False "$song"
  e2e_task 缺文件 10:00:00 False "$work/media/none.wav"
} | e2e_task_list "$work/app/user/task.xtask.dll"
printf '# 测试\n2030-10-01 休 # 国庆\n' >"$work/app/user/holidays.txt"
printf '2030-10-01 08:00:00.004\t开始\t别的\t主播 晚4毫秒\n2030-10-02 08:00:00.006\t开始\t上课铃\t主播 晚6毫秒\n' \
  >"$work/app/user/history.log"
before=$(cd "$work/app" && find . -printf '%p %s %T@\n' | sort)
kolva=$work/app/kolva

tab=$'\t'
out=$("$kolva" --preview 2030-10-01) || fail "--preview exited $?"
expected="08:00:00${tab}上课铃${tab}不播放${tab}节假日(休)：第2行「2030-10-01 休 # 国庆」
09:00:00${tab}停用${tab}不播放${tab}已禁用
10:00:00${tab}缺文件${tab}不播放${tab}没有可播放的文件"
[ "$out" = "$expected" ] || fail "preview of a 休 day:
$out"
out=$("$kolva" --preview=2030-10-02 | head -1)
[ "$out" = "08:00:00${tab}上课铃${tab}播放${tab}" ] || fail "preview of a plain day: $out"

out=$("$kolva" --history 2030-10-02)
[ "$out" = "2030-10-02 08:00:00.006${tab}开始${tab}上课铃${tab}主播 晚6毫秒" ] || fail "history: $out"

rc=0
err=$("$kolva" --preview 2030-02-30 2>&1 >/dev/null) || rc=$?
[ "$rc" = 2 ] || fail "a bad date exited $rc"
[[ "$err" == "日期格式有误：2030-02-30"* ]] || fail "a bad date said: $err"

"$kolva" --help | grep -q -- '--play-task 名称' || fail "--help does not list --play-task"

# Nothing was written, and no running copy was needed or touched.
after=$(cd "$work/app" && find . -printf '%p %s %T@\n' | sort)
[ "$before" = "$after" ] || fail "the application folder changed:
$(diff <(echo "$before") <(echo "$after"))"

printf 'not xml' >"$work/app/user/task.xtask.dll"
rc=0
err=$("$kolva" --preview 2>&1 >/dev/null) || rc=$?
[ "$rc" = 1 ] || fail "an unreadable list exited $rc"
[[ "$err" == "任务列表文件无法读取："* ]] || fail "an unreadable list said: $err"
echo "preview: ok"

#!/bin/sh
# Times lextool against the translation tools of other projects on the same
# records: 333,333 keys of 12-49 characters in 3 languages (999,999 records),
# as one lexicon and as one PO and one TS file per language, and a 100,000
# record update (a third of it new keys, the rest changed values).
#
#   bench/peers.sh [LEXTOOL] [RUNS]
#
# LEXTOOL defaults to build-bench/cli/lextool (a Release build), RUNS to 1
# (the peers take minutes a run on a busy machine). Each line
# prints the peer's (A) wall time and peak memory beside lextool's (B) and
# their ratio A/B, taken pair by pair by farm-bench (or by plain timing
# without it): above 1 lextool is faster. A
# peer that is not installed is skipped with a note.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
lextool=$(realpath "${1:-$here/build-bench/cli/lextool}")
runs=${2:-1}
[ -x "$lextool" ] || { echo "no lextool at $lextool: build the target lextool first" >&2; exit 2; }
PATH=$PATH:/usr/lib/qt6/bin:/usr/lib/qt5/bin
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

python3 - <<'PY'
import random
random.seed(21)
words = ["File", "Open", "Save", "Close", "Edit", "View", "Help", "Tools", "Window",
         "Option", "Data", "Search", "Find", "Next", "Export", "Import", "Language"]
langs = [("936", "zh_CN"), ("950", "zh_TW"), ("1252", "de_DE")]

def key(n):
    text = ""
    target = random.randint(12, 49)
    while len(text) < target:
        text += random.choice(words) + " "
    return (text + str(n))[-target:].strip() + str(n)

def value(lang, k, version):
    return "%s %s %s" % (lang, version, k)

def write(name, keys, version):
    with open(name + ".lxc", "w", newline="\n") as lex:
        lex.write('"LexKey","CodePage","SeqNo","DisplayValue","CatalogID",\r\n')
        for k in keys:
            for cp, _ in langs:
                lex.write('"%s","%s","0","%s",,\r\n' % (k, cp, value(cp, k, version)))
    for cp, locale in langs:
        with open("%s-%s.po" % (name, cp), "w") as po:
            po.write('msgid ""\nmsgstr ""\n"Content-Type: text/plain; charset=UTF-8\\n"\n'
                     '"Language: %s\\n"\n\n' % locale)
            for k in keys:
                po.write('msgid "%s"\nmsgstr "%s"\n\n' % (k, value(cp, k, version)))
        with open("%s-%s.ts" % (name, cp), "w") as ts:
            ts.write('<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n'
                     '<TS version="2.1" language="%s">\n<context>\n<name>Lex</name>\n' % locale)
            for k in keys:
                ts.write("<message><source>%s</source><translation>%s</translation></message>\n"
                         % (k, value(cp, k, version)))
            ts.write("</context>\n</TS>\n")

keys = [key(n) for n in range(333333)]
write("base", keys, "v1")
update = random.sample(keys, 22222) + [key(n) for n in range(333333, 344444)]
write("update", update, "v2")
PY
# One command per tool and job, over the three languages where the tool
# holds one language a file.
peer() { # tool job
    cmd=""
    for cp in 936 950 1252; do
        case "$1 $2" in
        "lconvert load+save") c="lconvert -i base-$cp.ts -o out-$cp.ts" ;;
        "msgcat load+save") c="msgcat base-$cp.po -o out-$cp.po" ;;
        "lconvert merge") c="lconvert -i base-$cp.ts -i update-$cp.ts -o out-$cp.ts" ;;
        "msgcat merge") c="msgcat --use-first update-$cp.po base-$cp.po -o out-$cp.po" ;;
        "msgmerge merge") c="msgmerge -q --no-fuzzy-matching update-$cp.po base-$cp.po -o out-$cp.po" ;;
        esac
        cmd="$cmd${cmd:+ && }$c"
    done
    echo "$cmd"
}
# lextool opens the lexicon as the editor does, merges, and saves it.
ours() { # job
    case $1 in
    load+save) echo "$lextool merge base.lxc -o out.lxc" ;;
    merge) echo "$lextool merge base.lxc update.lxc -o out.lxc" ;;
    esac
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
seconds() { # command: wall seconds of one run
    start=$(date +%s.%N)
    sh -c "$1" >/dev/null 2>&1
    echo "$(date +%s.%N) - $start" | bc
}
# No warm-up run: the files were just written and are in the page cache, and
# a peer's run takes minutes.
ratio() { # peer-command our-command
    if command -v farm-bench >/dev/null; then
        farm-bench -n "$runs" --warmup 0 --timeout 1800 --vs "sh -c '$2'" -- sh -c "$1" 2>&1 |
            awk '/^(A|B) (wall s|peak MiB)|^A\/B (cpu|wall)/ { print "    " $0 }'
    else
        a=$(for i in $(seq "$runs"); do seconds "$1"; done | median)
        b=$(for i in $(seq "$runs"); do seconds "$2"; done | median)
        echo "    $a s / $b s = $(echo "scale=1; $a / $b" | bc)x"
    fi
}

for job in load+save merge; do
    for tool in lconvert msgcat msgmerge; do
        [ "$tool $job" = "msgmerge load+save" ] && continue
        if ! command -v "$tool" >/dev/null; then
            echo "$job: $tool not installed, skipped"
            continue
        fi
        echo "$job: $tool (A) vs lextool (B)"
        ratio "$(peer "$tool" "$job")" "$(ours "$job")"
    done
done

#!/usr/bin/env bash
# Fails when the code of quillane.exe holds an instruction that the 80386 with its 80387 lacks:
# Windows 95 runs on a 386DX and NT 4.0 on a 486, and there the first such instruction ends the
# program with an invalid opcode. Reads the disassembly of the linked exe (our code, libgcc's
# pieces and anything else linked in) with the cross toolchain's objdump.
#
#   scripts/check-instructions.sh [EXE]      default build/i686/app/quillane.exe
#
# What is refused, by the processor that brought it:
#   486       bswap, cmpxchg, xadd, invd, wbinvd, invlpg
#   Pentium   cpuid, rdtsc, rdmsr, wrmsr, rsm, cmpxchg8b, and MMX on the Pentium MMX
#   P. Pro    cmov*, fcmov*, fcomi, fcomip, fucomi, fucomip, rdpmc, the multi-byte nop (0f 1f,
#             shown as nopw/nopl or as nop with an operand)
#   later     sysenter/sysexit, syscall/sysret, fxsave/fxrstor, the fences, prefetch*, clflush,
#             movnti, ldmxcsr/stmxcsr, emms/femms, fisttp, ffreep, popcnt, lzcnt, tzcnt (a 386
#             reads it as bsf, which differs on zero), movbe, crc32, rdrand/rdseed, xgetbv,
#             xsave*, endbr32 (an invalid opcode before its hint-nop form), and every
#             instruction on an MMX, SSE or AVX register (%mm, %xmm, %ymm, %zmm, %k).
# Allowed although GCC emits them: ud2 (it exists to fault, and 0f 0b was already an invalid
# opcode on the 386, so the program ends the same way), pause (rep nop: a plain nop before the
# Pentium 4), fucom/fucompp/fsin/fcos/fprem1 (387) and fnstsw %ax (287). Lines objdump cannot
# decode, "(bad)", are data: the end of the code section holds the linker's empty constructor
# lists (ff ff ff ff 00 00 00 00 twice).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
EXE=${1:-$ROOT/build/i686/app/quillane.exe}
OBJDUMP=${OBJDUMP:-i686-w64-mingw32-objdump}

refused='^(cmov[a-z]*|fcmov[a-z]*|fu?comip?|bswap|cmpxchg[0-9a-z]*|xadd[bwl]?|invd|wbinvd|invlpg|cpuid|rdtscp?|rdmsr|wrmsr|rsm|rdpmc|nop[wl]|sysenter|sysexit|syscall|sysret[lq]?|fxsave|fxrstor|[lms]fence|prefetch[a-z0-9]*|clflush[a-z]*|movnti|[ls]tmxcsr|f?emms|fisttp[slq]?|ffreep|popcnt|lzcnt|tzcnt|movbe|crc32[bwlq]?|rdrand|rdseed|xgetbv|xsetbv|xsave[a-z0-9]*|xrstor[a-z0-9]*|endbr(32|64))$'

# "address: mnemonic operands" per instruction, prefixes (lock, rep, data16, segments) dropped.
code=$("$OBJDUMP" -d --no-show-raw-insn "$EXE" | awk -F'\t' '
    $1 ~ /^ *[0-9a-f]+:$/ && NF >= 2 && $2 != "(bad)" {
        n = split($2, word, " ")
        i = 1
        while (i < n && word[i] ~ /^(lock|rep|repz|repnz|repe|repne|data16|addr16|addr32|[c-gs]s|bnd|notrack)$/) i++
        operands = ""
        for (j = i + 1; j <= n; j++) operands = operands " " word[j]
        sub(/:$/, "", $1); gsub(/ /, "", $1)
        print $1 ": " word[i] operands
    }')
count=$(wc -l <<<"$code")
if [[ $count -lt 100 ]]; then
    echo "check-instructions: only $count instructions read from $EXE" >&2
    exit 1
fi
found=$(awk -v refused="$refused" '
    { mnemonic = $2 }
    mnemonic ~ refused || (mnemonic == "nop" && NF > 2) || $0 ~ /%([xyz]?mm[0-9]|k[0-7])/ { print }
' <<<"$code")
if [[ -n $found ]]; then
    echo "check-instructions: $(basename "$EXE") holds $(wc -l <<<"$found") instructions the 80386/80387 lack:" >&2
    awk '{ print $2 }' <<<"$found" | sort | uniq -c | sort -rn | awk '{ printf "  %s x%d\n", $2, $1 }' >&2
    head -n 10 <<<"$found" | sed 's/^/  at /' >&2
    exit 1
fi
echo "check-instructions: $count instructions of $(basename "$EXE"), all on the 80386/80387"

# Sums the bytes that each input file contributes to the loaded sections of
# a GNU ld map of a PE executable (code, constants, data, unwind tables), and
# prints "kind BYTES NAME", "lib BYTES NAME" and "member BYTES NAME" lines and
# "total BYTES". Plain POSIX awk (no strtonum), so mawk runs it.
/^Linker script and memory map/ { inmap = 1; next }
!inmap { next }
/^ \.[A-Za-z_$.0-9]+ +0x[0-9a-f]+ +0x[0-9a-f]+ / { add($1, $3, $4); pending = ""; next }
/^ \.[A-Za-z_$.0-9]+$/ { pending = $1; next }
pending != "" && /^ +0x[0-9a-f]+ +0x[0-9a-f]+ / { add(pending, $2, $3); pending = ""; next }
{ pending = "" }
function add(section, hexsize, file,    kind, size, member, lib) {
    if (section ~ /^\.text/) kind = "code"
    else if (section ~ /^\.eh_frame/) kind = "unwind tables"
    else if (section ~ /^\.rdata/) kind = "constants"
    else if (section ~ /^\.data/) kind = "data"
    else return
    size = hex(hexsize)
    if (size == 0) return
    sub(/.*\//, "", file)
    member = file; lib = file
    sub(/\(.*/, "", lib)
    bykind[kind] += size; bymember[member] += size; bylib[lib] += size; total += size
}
END {
    printf "total %d\n", total
    for (k in bykind) printf "kind %d %s\n", bykind[k], k
    for (l in bylib) printf "lib %d %s\n", bylib[l], l
    for (m in bymember) printf "member %d %s\n", bymember[m], m
}
function hex(text,    i, value) {
    text = tolower(substr(text, 3))
    value = 0
    for (i = 1; i <= length(text); i++) value = value * 16 + index("0123456789abcdef", substr(text, i, 1)) - 1
    return value
}

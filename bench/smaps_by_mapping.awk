# Sums Private_Clean + Private_Dirty of a /proc/PID/smaps per mapping: by the
# file's name, or [anon], [heap], [stack] for memory with no file. Prints
# "KiB NAME" lines, largest first is left to sort.
/^[0-9a-f]+-[0-9a-f]+ / {
    name = (NF >= 6) ? $6 : "[anon]"
    sub(/.*\//, "", name)
    next
}
/^Private_(Clean|Dirty):/ { kib[name] += $2 }
END { for (n in kib) if (kib[n] > 0) printf "%d %s\n", kib[n], n }

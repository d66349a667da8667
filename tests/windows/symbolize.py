"""Names the frames of a crash under wine: offsets into the program's image, as
wine's backtrace gives them ("in mivora (+0x1572)"), read one per line, each
printed with the function it falls in, from the program's symbol table (the
program before stripping: same code, same places).
    symbolize.py PROGRAM_EXE < offsets"""
import bisect
import re
import subprocess
import sys

exe = sys.argv[1]
header = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", exe],
                        capture_output=True, text=True).stdout
base = int(re.search(r"ImageBase\s+([0-9a-fA-F]+)", header).group(1), 16)
table = subprocess.run(["x86_64-w64-mingw32-nm", "-C", "--defined-only", exe],
                       capture_output=True, text=True).stdout
functions = sorted((int(fields[0], 16), fields[2]) for fields in
                   (line.split(" ", 2) for line in table.splitlines())
                   if len(fields) == 3 and fields[1] in "tT")
starts = [start for start, _ in functions]
for line in sys.stdin:
    offset = int(line.strip(), 16)
    at = bisect.bisect_right(starts, base + offset) - 1
    name = functions[at][1] if at >= 0 else "?"
    print(f"  +{offset:#x} {name}")

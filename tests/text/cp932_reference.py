# Python's cp932 codec is the reference, except that it writes a character of
# both IBM extension blocks with its NEC-selected code (0xED, 0xEE), where
# Windows writes the IBM code (0xFA-0xFC). One line per code: code, code point,
# the code Windows writes for that code point.
chars = {}
for lead in [*range(0x81, 0xA0), *range(0xE0, 0xFD)]:
    for trail in range(256):
        try:
            chars[lead << 8 | trail] = bytes([lead, trail]).decode("cp932")
        except UnicodeDecodeError:
            pass
ibm = {}
for code, c in chars.items():
    if code >= 0xFA00:
        ibm.setdefault(c, code)
for code, c in chars.items():
    written = int.from_bytes(c.encode("cp932"), "big")
    if written >> 8 in (0xED, 0xEE) and c in ibm:
        written = ibm[c]
    print("%04X %X %04X" % (code, ord(c), written))

"""Lines of the PC's text as the console and the preview show them.

Reads lines on standard input and writes them as the program shows them on
PLATFORM: "linux" decodes each line as UTF-8 when it is valid UTF-8, else as
Windows-1252, and writes UTF-8; "wine" keeps Windows-1252 (its ANSI code
page). Both escape control characters: C0 in caret notation ("^["), DEL as
"^?", C1 as "M-" and the caret form of the C0 character 0x80 below.
"""
import sys

UNDEFINED_1252 = {0x81, 0x8D, 0x8F, 0x90, 0x9D}


def decode_1252(line):
    return "".join(
        chr(b) if b in UNDEFINED_1252 else bytes([b]).decode("cp1252") for b in line
    )


def escape(text):
    out = []
    for ch in text:
        code = ord(ch)
        if code < 0x20 and ch != "\t":
            out.append("^" + chr(code + 0x40))
        elif code == 0x7F:
            out.append("^?")
        elif 0x80 <= code <= 0x9F:
            out.append("M-^" + chr(code - 0x40))
        else:
            out.append(ch)
    return "".join(out)


def main():
    platform = sys.argv[1]
    for raw in sys.stdin.buffer.read().split(b"\n"):
        if platform == "linux":
            try:
                text = raw.decode("utf-8")
            except UnicodeDecodeError:
                text = decode_1252(raw)
            shown = escape(text).encode("utf-8")
        else:
            shown = escape(decode_1252(raw)).encode("cp1252", errors="replace")
        sys.stdout.buffer.write(shown + b"\n")


if __name__ == "__main__":
    main()

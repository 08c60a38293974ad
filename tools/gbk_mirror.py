#!/usr/bin/env python3
"""Mirror the source tree for the native (clang) build with every non-ASCII
character inside a string or character literal replaced by \\x escapes of its
GBK bytes, so native binaries hold the same GBK literals as the Win32 ones
(clang only knows UTF-8 as execution character set). Files whose mirrored text
is unchanged are not rewritten, so make does not rebuild them."""
import os
import sys

DIRS_SKIPPED = {'build', '.git', 'bench', 'art'}
EXTS = ('.h', '.hpp', '.cpp', '.c', '.inc')


def escape_literals(text: str) -> str:
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if c == '/' and i + 1 < n and text[i + 1] == '/':
            j = text.find('\n', i)
            j = n if j < 0 else j
            out.append(text[i:j]); i = j; continue
        if c == '/' and i + 1 < n and text[i + 1] == '*':
            j = text.find('*/', i + 2)
            j = n if j < 0 else j + 2
            out.append(text[i:j]); i = j; continue
        if c in '"\'':
            # a raw string R"(...)" is copied unchanged; we do not write GBK in them
            if c == '"' and i > 0 and text[i - 1] == 'R':
                j = text.find(')"', i)
                j = n if j < 0 else j + 2
                out.append(text[i:j]); i = j; continue
            quote = c
            out.append(c); i += 1
            pending_hex = False
            while i < n and text[i] != quote and text[i] != '\n':
                ch = text[i]
                if ch == '\\' and i + 1 < n:
                    out.append(text[i:i + 2]); i += 2; pending_hex = False; continue
                if ord(ch) > 127:
                    out.append(''.join('\\x%02x' % b for b in ch.encode('gbk')))
                    pending_hex = True
                else:
                    if pending_hex and ch in '0123456789abcdefABCDEF':
                        out.append('""' if quote == '"' else '')
                    out.append(ch); pending_hex = False
                i += 1
            if i < n:
                out.append(text[i]); i += 1
            continue
        out.append(c); i += 1
    return ''.join(out)


def main():
    src, dst = sys.argv[1], sys.argv[2]
    for root, dirs, files in os.walk(src):
        dirs[:] = [d for d in dirs if d not in DIRS_SKIPPED and not d.startswith('.')]
        rel = os.path.relpath(root, src)
        for f in files:
            if not f.endswith(EXTS):
                continue
            with open(os.path.join(root, f), encoding='utf-8') as fh:
                text = escape_literals(fh.read())
            target_dir = os.path.join(dst, rel)
            target = os.path.join(target_dir, f)
            try:
                with open(target, encoding='utf-8') as fh:
                    if fh.read() == text:
                        continue
            except FileNotFoundError:
                pass
            os.makedirs(target_dir, exist_ok=True)
            with open(target, 'w', encoding='utf-8') as fh:
                fh.write(text)


if __name__ == '__main__':
    main()

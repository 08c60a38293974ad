#!/usr/bin/env python3
"""Renders one skin's sources into mkskin's source folder and runs mkskin.

  render_skin.py --src art/skins/default --work build/skins/default --mkskin build/host/mkskin
                 --out build/dist/default.eks [--corpus build/skins/corpus]

(--corpus: a folder that collects the skins and their text parts as seeds for the fuzz target)

The source folder holds skin.txt (the text part, UTF-8; written out as GBK with CR LF line
ends), pictures.txt (what to draw for each block) and the drawings (SVG) it names. Each
line of pictures.txt is

  TAG  FILE  [option ...]

FILE is an SVG drawing (or a ".rgn" outline copied as it is), relative to the source folder.
Options:
  hover | pressed      lighter / darker than the drawing (button states)
  zoom=F               scale the drawing
  mask                 the drawing's opaque area as a mask picture (for an outline "M" tag)
  key=#RRGGBB          colour put under transparent parts (default #FF00FF: the pictures
                       are drawn transparent with their bottom-left pixel as key colour)
  NAME=VALUE           "{NAME}" in the drawing is replaced by VALUE
"""
import argparse
import os
import re
import shutil
import subprocess
import sys


def run(cmd):
    r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if r.returncode != 0:
        sys.stderr.write('render_skin: %s failed:\n%s' % (' '.join(cmd), r.stderr.decode(errors='replace')))
        sys.exit(1)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--src', required=True)
    ap.add_argument('--work', required=True)
    ap.add_argument('--mkskin', required=True)
    ap.add_argument('--out', required=True)
    ap.add_argument('--corpus')
    a = ap.parse_args()

    if os.path.isdir(a.work):
        shutil.rmtree(a.work)
    tmp = os.path.join(a.work, 'tmp')
    os.makedirs(tmp)

    with open(os.path.join(a.src, 'skin.txt'), encoding='utf-8') as f:
        lines = f.read().splitlines()
    with open(os.path.join(a.work, 'skin.txt'), 'wb') as f:
        f.write(''.join(l + '\r\n' for l in lines).encode('gbk'))

    with open(os.path.join(a.src, 'pictures.txt'), encoding='utf-8') as f:
        entries = [l.split() for l in f if l.strip() and not l.lstrip().startswith('#')]
    tags = set()
    for n, e in enumerate(entries):
        if len(e) < 2:
            sys.exit('render_skin: pictures.txt: a tag without a drawing: %s' % e)
        tag, name, opts = e[0], e[1], e[2:]
        if tag in tags:
            sys.exit('render_skin: pictures.txt: tag %s twice' % tag)
        tags.add(tag)
        source = os.path.join(a.src, name)
        if name.endswith('.rgn'):
            shutil.copy(source, os.path.join(a.work, tag + '.rgn'))
            continue
        with open(source, encoding='utf-8') as f:
            svg = f.read()
        zoom, key, mode = '1', '#FF00FF', None
        for o in opts:
            if o in ('hover', 'pressed', 'mask'):
                mode = o
            elif o.startswith('zoom='):
                zoom = o[5:]
            elif o.startswith('key='):
                key = o[4:]
            elif '=' in o:
                k, v = o.split('=', 1)
                svg = svg.replace('{%s}' % k, v)
            else:
                sys.exit('render_skin: pictures.txt: unknown option %s' % o)
        left = re.findall(r'\{[A-Z_]+\}', svg)
        if left:
            sys.exit('render_skin: %s for %s: no value for %s' % (name, tag, ', '.join(sorted(set(left)))))
        drawn = os.path.join(tmp, '%d.svg' % n)
        png = os.path.join(tmp, '%d.png' % n)
        with open(drawn, 'w', encoding='utf-8') as f:
            f.write(svg)
        run(['rsvg-convert', '-z', zoom, '-o', png, drawn])
        bmp = 'BMP3:' + os.path.join(a.work, tag + '.bmp')
        if mode == 'mask':
            run(['convert', png, '-alpha', 'extract', '-threshold', '50%', '-type', 'TrueColor', bmp])
            continue
        cmd = ['convert', png]
        if mode == 'hover':
            cmd += ['-modulate', '125,110']
        elif mode == 'pressed':
            cmd += ['-modulate', '75']
        cmd += ['-background', key, '-flatten', '-alpha', 'off', '-type', 'TrueColor', bmp]
        run(cmd)
    shutil.rmtree(tmp)

    os.makedirs(os.path.dirname(os.path.abspath(a.out)), exist_ok=True)
    run([a.mkskin, a.work, a.out])
    if a.corpus:
        os.makedirs(a.corpus, exist_ok=True)
        shutil.copy(a.out, os.path.join(a.corpus, os.path.basename(a.out)))
        # the text part alone too: a small seed that mutates quickly
        shutil.copy(os.path.join(a.work, 'skin.txt'), os.path.join(a.corpus, os.path.basename(a.out) + '.txt'))


if __name__ == '__main__':
    main()

#!/usr/bin/env bash
mkdir -p "$1/Lyrics"; : > "$1/demo.mp3"; : > "$1/Lyrics/demo.lrc"

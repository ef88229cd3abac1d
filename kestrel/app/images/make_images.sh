#!/usr/bin/env bash
# Composes the tool image sheet (64x64, sixteen 16x16 images, row by row) and
# the log icon sheet (32x48, six images) from the Tango icon theme, which is
# in the public domain (Debian package tango-icon-theme). Magenta is the key
# colour: the sheets' top-left pixel, transparent when cut.
set -euo pipefail
cd "$(dirname "$0")"
T=/usr/share/icons/Tango
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
key='#FF00FF'
tile() { # src dest
  convert "$1" -resize 16x16 -channel A -threshold 50% +channel -background "$key" -flatten "PNG24:$2"
}
tools=(
  status/connect_established actions/process-stop actions/document-open actions/document-save
  actions/edit-select-all actions/document-new actions/go-down mimetypes/x-office-spreadsheet
  mimetypes/text-x-generic actions/document-save-as categories/preferences-system actions/document-properties
  actions/edit-find-replace categories/applications-accessories actions/edit-clear apps/help-browser
)
i=0
for t in "${tools[@]}"; do tile "$T/16x16/$t.png" "$tmp/t$(printf %02d $i).png"; i=$((i+1)); done
montage "$tmp"/t*.png -tile 4x4 -geometry 16x16+0+0 -background "$key" "PNG24:tools.png"
logs=(
  status/dialog-error status/important status/dialog-warning mimetypes/x-office-document
  actions/go-next status/dialog-information
)
i=0
for t in "${logs[@]}"; do tile "$T/16x16/$t.png" "$tmp/l$i.png"; i=$((i+1)); done
montage "$tmp"/l*.png -tile 2x3 -geometry 16x16+0+0 -background "$key" "PNG24:logicons.png"
convert "$T/32x32/mimetypes/x-office-spreadsheet.png" kestrel.png

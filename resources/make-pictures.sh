#!/bin/sh
# Draws the program's pictures with ImageMagick. Each icon is drawn at four
# times its size on a 128 x 128 canvas and scaled down, which smooths its
# edges. Run from anywhere; the pictures land beside this script.
set -eu
cd "$(dirname "$0")"
IM=/usr/bin/convert

# A page with a folded corner, its top-left corner at (x, y), w x h: sets
# SHEET (the page) and FOLD (the turned-down corner) as draw primitives.
page() {
  x=$1 y=$2 w=$3 h=$4 fold=$5
  r=$((x + w)) b=$((y + h)) fx=$((x + w - fold)) fy=$((y + fold))
  SHEET="polygon $x,$y $fx,$y $r,$fy $r,$b $x,$b"
  FOLD="polygon $fx,$y $fx,$fy $r,$fy"
}
PAPER="-fill #fdfdfd -stroke #5a6270 -strokewidth 4"

# File32: a list document, its rows striped like the program's list.
page 20 6 88 116 26
$IM -size 128x128 xc:none \
  $PAPER -draw "$SHEET" -fill '#d5dbe4' -draw "$FOLD" \
  -stroke none -fill '#3f7fd0' -draw 'rectangle 32,36 96,46' \
  -fill '#c9d8ef' -draw 'rectangle 32,54 96,62' -draw 'rectangle 32,78 96,86' \
  -draw 'rectangle 32,102 96,110' \
  -fill '#8e99a8' -draw 'rectangle 32,66 96,74' -draw 'rectangle 32,90 96,98' \
  -resize 32x32 -define png:exclude-chunks=date,time png32:file32.png

# GetFolder: a blue folder under a magnifying glass (scan a folder).
$IM -size 128x128 xc:none \
  -fill '#6f9fd8' -stroke '#2f5e99' -strokewidth 4 \
  -draw 'roundrectangle 6,18 56,44 6,6' -draw 'roundrectangle 6,30 122,106 8,8' \
  -fill '#a8cbf0' -draw 'roundrectangle 6,42 122,106 8,8' \
  -fill '#ffffffb0' -stroke '#303540' -strokewidth 9 -draw 'circle 78,76 78,48' \
  -stroke '#303540' -strokewidth 15 -draw 'line 98,96 118,116' \
  -resize 32x32 -define png:exclude-chunks=date,time png32:getFolder.png

# Conv: a document, an arrow, and the package folder it becomes.
page 4 6 54 72 16
$IM -size 128x128 xc:none \
  $PAPER -draw "$SHEET" -fill '#d5dbe4' -draw "$FOLD" \
  -stroke none -fill '#3f7fd0' -draw 'rectangle 14,30 46,36' \
  -fill '#8e99a8' -draw 'rectangle 14,44 46,49' -draw 'rectangle 14,56 46,61' \
  -fill '#e0a030' -stroke '#8a5a10' -strokewidth 4 \
  -draw 'roundrectangle 58,62 94,80 5,5' -draw 'roundrectangle 58,72 124,122 7,7' \
  -fill '#f6c765' -draw 'roundrectangle 58,82 124,122 7,7' \
  -fill '#2e9a3e' -stroke '#1b5e26' -strokewidth 3 \
  -draw 'polygon 30,84 30,104 50,104 50,116 72,94 50,72 50,84' \
  -resize 32x32 -define png:exclude-chunks=date,time png32:conv.png

# Conv2: one chosen document with a green "go" badge (convert one file).
page 10 4 78 104 22
$IM -size 128x128 xc:none \
  $PAPER -draw "$SHEET" -fill '#d5dbe4' -draw "$FOLD" \
  -stroke none -fill '#3f7fd0' -draw 'rectangle 22,32 70,40' \
  -fill '#8e99a8' -draw 'rectangle 22,50 70,56' -draw 'rectangle 22,64 70,70' \
  -fill '#2e9a3e' -stroke '#1b5e26' -strokewidth 4 -draw 'circle 92,92 92,124' \
  -fill '#ffffff' -stroke none \
  -draw 'polygon 72,86 92,86 92,74 112,92 92,110 92,98 72,98' \
  -resize 32x32 -define png:exclude-chunks=date,time png32:conv2.png

# WinBottom: the strip along the window's bottom, 18 pixels high; only its
# leftmost column is ever shown, stretched across the window.
$IM -size 8x17 gradient:'#e4e4e4'-'#b9b9b9' \
  -background '#8c8c8c' -gravity south -splice 0x1 \
  -quality 95 winBottom.jpg

#!/usr/bin/env python3
"""Writes the two help documents as RTF. The files themselves stay pure
ASCII: every other character goes in as an \\uN? escape. Run from anywhere;
the documents land beside this script."""

import pathlib

README = [
    ("title", "Tavrinコンバータ　お読み下さい"),
    ("head", "このプログラムについて"),
    ("body", "Tavrinコンバータは、リスト作成ソフト Tavrin／Tavrinplus の書類（ファイルタイプ「Tavr」、"
             "クリエータ「qZt5」のリスト書類。シングルリスト・マルチリストのどちらも）を、"
             "後継ソフト Tavrinplex の書類パッケージに変換します。"),
    ("body", "書類パッケージは、元の書類の名前（拡張子も含む）の後ろに「.tvrmd」を付けた名前のフォルダで、"
             "中に pref（表示の設定）、csv（行の内容）、colAttr（列の設定）、window（ウインドウの位置と大きさ）の"
             "4つのファイルが入ります。元の書類は読むだけで、変更しません。"),
    ("head", "Tavrin の初期設定"),
    ("body", "起動時に、Tavrin の初期設定ファイル（初期設定フォルダ内の「Tavrin初期設定」フォルダにある「pref」）を"
             "読み込みます。初期設定フォルダは、macOS では ~/Library/Preferences、それ以外では "
             "$XDG_CONFIG_HOME（設定がなければ ~/.config）です。"),
    ("body", "使われるのは、警告の前にビープ音を鳴らす設定と、パッケージの pref に書き込まれる"
             "スクロールとウインドウ位置の設定です。ファイルがなければ既定の値で動作します。"
             "このプログラムが初期設定ファイルに書き込むことはありません。"),
    ("head", "macOS 以外でお使いの場合"),
    ("body", "書類は、ファイルタイプとクリエータで見分けます。macOS 以外では、これらを拡張属性、"
             "または AppleDouble 形式のファイル（「._」で始まる名前のファイルや __MACOSX フォルダ）から読み取ります。"
             "ファイルタイプとクリエータの情報を失った書類は、変換の対象になりません。"),
    ("body", "パッケージの拡張子を隠す設定は、macOS 以外では効果がありません。"),
    ("body", "ウインドウを閉じると、プログラムも終了します。"),
    ("head", "ホームページ"),
    ("body", "メニュー「Help」の「ホームページに接続...」を選ぶと、確認の後、"
             "ブラウザで作者のホームページを開きます。"),
]

MANUAL = [
    ("title", "Tavrinコンバータ　簡易マニュアル"),
    ("body", "ショートカットの Ctrl は、macOS では command キーです。"),
    ("head", "1. 書類を探す"),
    ("body", "ツールバーの「書類を抽出」（またはメニュー「ファイル」の「書類を抽出…」、Ctrl+Shift+O）を選び、"
             "フォルダを指定します。フォルダの中（その中のフォルダも含みます。ただし不可視のフォルダは除きます）にある"
             "Tavrin のリスト書類が一覧に並びます。"),
    ("body", "一覧には「名前」、「行種別」（シングルリストなら「シングル」、マルチリストなら「マルチ」）、"
             "「場所（パス）」が表示されます。別のフォルダを指定すると、一覧は新しい内容に置き換わります。"),
    ("head", "2. 変換する書類を選ぶ"),
    ("body", "一覧で書類をクリックして選びます。Shift キーや Ctrl キーを押しながらクリックすると、"
             "いくつでも選べます。書類を選ぶと「同一場所に変換」と「別場所に変換」が使えるようになります。"),
    ("head", "3. まとめて変換する"),
    ("body", "「同一場所に変換」は、選んだ書類それぞれと同じフォルダにパッケージを作ります。"),
    ("body", "「別場所に変換」は、フォルダを指定すると、選んだ書類のパッケージをすべてそのフォルダに作ります。"
             "元のフォルダの構成は再現しません。"),
    ("body", "パッケージの名前は、書類の名前に「.tvrmd」を付けたものです。"
             "すべての書類が終わると「変換が完了しました。」と表示されます。"),
    ("head", "4. 1つの書類を変換する"),
    ("body", "ツールバーの「ファイルを指定して変換」（またはメニュー「ファイル」の「ファイルを指定して変換…」、Ctrl+O）を選び、"
             "書類を指定します。続く保存ダイアログで、パッケージの名前と保存場所を決めます。"
             "この場合、完了のメッセージは表示されません。"),
    ("body", "Tavrin のリスト書類でないファイルを指定すると、「未登録のファイルタイプです。」と表示され、"
             "変換されません。"),
    ("head", "5. 変換できない書類"),
    ("body", "このバージョンで読めない形式の書類では「このバージョンでは読み込めないフォーマットです。」と、"
             "壊れていて読めない書類では、書類の名前と理由が警告で表示されます。"
             "どちらの場合もパッケージは作られません。まとめて変換しているときは、"
             "警告を閉じると次の書類の変換に進みます。"),
    ("head", "6. 終了する"),
    ("body", "メニュー「ファイル」の「閉じる」（Ctrl+W）または「Quit」（Ctrl+Q）で終了します。"
             "保存するものはないので、確認はありません。"),
]


def escape(text):
    out = []
    for ch in text:
        code = ord(ch)
        if ch in "\\{}":
            out.append("\\" + ch)
        elif 32 <= code < 127:
            out.append(ch)
        elif code > 0xFFFF:
            raise ValueError("character outside the BMP: %r" % ch)
        else:
            out.append("\\u%d?" % (code - 65536 if code > 32767 else code))
    return "".join(out)


STYLES = {
    "title": "\\pard\\sa240\\b\\fs32 %s\\b0\\fs24\\par\n",
    "head": "\\pard\\sb240\\sa120\\b\\fs26 %s\\b0\\fs24\\par\n",
    "body": "\\pard\\sa120\\fs24 %s\\par\n",
}


def rtf(paragraphs):
    parts = ["{\\rtf1\\ansi\\ansicpg932\\deff0\\uc1\n",
             "{\\fonttbl{\\f0\\fnil\\fcharset128 Hiragino Kaku Gothic ProN;}}\n",
             "\\f0\\fs24\n"]
    for style, text in paragraphs:
        parts.append(STYLES[style] % escape(text))
    parts.append("}\n")
    return "".join(parts)


here = pathlib.Path(__file__).resolve().parent
for name, paragraphs in (("お読み下さい.rtf", README), ("簡易マニュアル.rtf", MANUAL)):
    (here / name).write_text(rtf(paragraphs), encoding="ascii")

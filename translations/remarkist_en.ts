<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>Classdoc</name>
    <message>
        <source>クラス</source>
        <translation>Class</translation>
    </message>
</context>
<context>
    <name>Comment</name>
    <message>
        <source>この欄にはコメントを記入して下さい(省略可)<byte value="xd"/>
この上の欄の「概要」の説明は必ず記述(省略不可)<byte value="xd"/>
<byte value="xd"/>
Shift+Ctrl+Cでクリップボードにコピー。<byte value="xd"/>
Ctrl+Iですべて初期化。<byte value="xd"/>
Windows+Cでアクティブになります。</source>
        <translation>Write a comment here (optional)<byte value="xd"/>
The brief in the box above is required<byte value="xd"/>
<byte value="xd"/>
Shift+Ctrl+C copies to the clipboard.<byte value="xd"/>
Ctrl+I clears everything.<byte value="xd"/>
Super+C brings this window forward.</translation>
    </message>
</context>
<context>
    <name>Date</name>
    <message>
        <source>日付</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>更新</source>
        <translation>Now</translation>
    </message>
</context>
<context>
    <name>DocumentPage</name>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>クリップボード</source>
        <translation>Clipboard</translation>
    </message>
    <message>
        <source>クリップボードから読み込む</source>
        <translation>Fill from the clipboard</translation>
    </message>
</context>
<context>
    <name>Filedoc</name>
    <message>
        <source>ファイル</source>
        <translation>File</translation>
    </message>
</context>
<context>
    <name>Functiondoc</name>
    <message>
        <source>関数</source>
        <translation>Function</translation>
    </message>
</context>
<context>
    <name>ListForm</name>
    <message>
        <source>変更</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>挿入</source>
        <translation>Add</translation>
    </message>
</context>
<context>
    <name>MyTextContextMenu</name>
    <message>
        <source>元に戻す(&amp;U)</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>切り取り(&amp;T)</source>
        <translation>Cu&amp;t</translation>
    </message>
    <message>
        <source>コピー(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>貼り付け(&amp;P)</source>
        <translation>&amp;Paste</translation>
    </message>
    <message>
        <source>削除(&amp;D)</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>すべて選択(&amp;A)</source>
        <translation>Select &amp;All</translation>
    </message>
</context>
<context>
    <name>Note</name>
    <message>
        <source>ノート</source>
        <translation>Note</translation>
    </message>
</context>
<context>
    <name>Params</name>
    <message>
        <source>引数</source>
        <translation>Parameters</translation>
    </message>
    <message>
        <source>タイプ</source>
        <translation>In/out</translation>
    </message>
    <message>
        <source>変数名</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>説明</source>
        <translation>Description</translation>
    </message>
</context>
<context>
    <name>Returns</name>
    <message>
        <source>戻り値</source>
        <translation>Returns</translation>
    </message>
</context>
<context>
    <name>Setting</name>
    <message>
        <source>ファイルの保存に失敗しました。</source>
        <translation>The settings file could not be saved.</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>コメント形式</source>
        <translation>Comment style</translation>
    </message>
    <message>
        <source>/** doc */スタイル</source>
        <translation>/** doc */ style</translation>
    </message>
    <message>
        <source>/// doc スタイル</source>
        <translation>/// doc style</translation>
    </message>
    <message>
        <source>/++ doc +/スタイル</source>
        <translation>/++ doc +/ style</translation>
    </message>
    <message>
        <source>ドキュメント形式</source>
        <translation>Document style</translation>
    </message>
    <message>
        <source>\command スタイル</source>
        <translation>\command style</translation>
    </message>
    <message>
        <source>@command スタイル</source>
        <translation>@command style</translation>
    </message>
    <message>
        <source>DDocCommand : スタイル</source>
        <translation>DDocCommand : style</translation>
    </message>
    <message>
        <source>空白の形式</source>
        <translation>Spacing</translation>
    </message>
    <message>
        <source>スペース</source>
        <translation>Spaces</translation>
    </message>
    <message>
        <source>タブ</source>
        <translation>Tabs</translation>
    </message>
    <message>
        <source>行頭はタブ、それ以外はスペースに変換</source>
        <translation>Tabs at line start, spaces elsewhere</translation>
    </message>
    <message>
        <source>タブスペース個数</source>
        <translation>Tab width</translation>
    </message>
    <message>
        <source>コメントのボックス化</source>
        <translation>Comment boxes</translation>
    </message>
    <message>
        <source>先頭部分をボックス化する</source>
        <translation>Box the head of the comment</translation>
    </message>
    <message>
        <source>終端部分をボックス化する</source>
        <translation>Box the foot of the comment</translation>
    </message>
    <message>
        <source>ボックスのサイズ</source>
        <translation>Box width</translation>
    </message>
    <message>
        <source>日付設定</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>日付のフォーマットを入力</source>
        <translation>Enter the date format</translation>
    </message>
    <message>
        <source>使用できるフォーマットは以下のとおり</source>
        <translation>The formats you can use:</translation>
    </message>
    <message>
        <source>その他設定</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>著作権表示</source>
        <translation>Copyright</translation>
    </message>
    <message>
        <source>作者</source>
        <translation>Author</translation>
    </message>
    <message>
        <source>言語ごとの設定</source>
        <translation>Per language</translation>
    </message>
    <message>
        <source>対象</source>
        <translation>Applies to</translation>
    </message>
    <message>
        <source>すべての言語</source>
        <translation>All languages</translation>
    </message>
    <message>
        <source>やり直し</source>
        <translation>Revert</translation>
    </message>
    <message>
        <source>適用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>バージョン : %1_alpha</source>
        <translation>Version : %1_alpha</translation>
    </message>
</context>
<context>
    <name>Summary</name>
    <message>
        <source>説明</source>
        <translation>Brief</translation>
    </message>
</context>
<context>
    <name>Throws</name>
    <message>
        <source>例外</source>
        <translation>Exceptions</translation>
    </message>
    <message>
        <source>型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>説明</source>
        <translation>Description</translation>
    </message>
</context>
</TS>

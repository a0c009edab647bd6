#pragma once
// Every text the program shows, in one place. Half-width katakana are kept as
// the users of earlier versions know them.
#include <QString>
#include <QStringList>

namespace Msg {

inline QString applicationTitle() { return QStringLiteral("Kadoru!"); }
inline QString programTitle() { return QStringLiteral("Tavelo 2.0"); }
inline QString titlePrefix() { return QStringLiteral("Tavelo 2.0 - "); }
inline QString defaultDocumentName() { return QStringLiteral("新規名刺.tvl"); }
inline QString helpFileBaseName() { return QStringLiteral("Tavelo"); }
inline QString helpFileExtension() { return QStringLiteral(".hlp"); }

// Information box
inline QString informationTitle() { return QStringLiteral("情報"); }
inline QString buttonYes() { return QStringLiteral("はい(&Y)"); }
inline QString buttonNo() { return QStringLiteral("いいえ(&N)"); }
inline QString buttonOk() { return QStringLiteral("OK"); }
inline QString buttonCancel() { return QStringLiteral("ｷｬﾝｾﾙ"); }

// The document's own messages
inline QString tooManyBoxes() { return QStringLiteral("ボックスの最大数を超えました。"); }
inline QString badCardFile() { return QStringLiteral("名刺ファイルが異常です"); }
inline QString askSave() { return QStringLiteral("は更新されています。保存しますか？"); }
inline QString nowEditing() { return QStringLiteral("は現在編集中です"); }
// A card whose text the card file cannot hold is not saved. %1 names the box
// ("box0", "img3"), %2 is the text.
inline QString cannotSaveText(const QString &boxName, const QString &text)
{
    return QStringLiteral("%1 の「%2」には名刺ファイルに保存できない文字があります。保存を中止しました。").arg(boxName, text);
}
// A box's "Caption=" line no longer stands for its record: another program
// changed the caption. %1 names the box.
inline QString captionLineOutdated(const QString &boxName)
{
    return QStringLiteral("%1 の文字列は別のプログラムで変更されています。変更後の文字列を読み込みました（保存できなかった文字は「〓」のままです）。").arg(boxName);
}
// Characters of a caption that no installed face draws: %1 names the box,
// %2 lists them. They stay in the caption and print as the missing-glyph box.
inline QString unshowableCharacters(const QString &boxName, const QString &characters)
{
    return QStringLiteral("%1 の文字 %2 を表示できるフォントがありません。文字は名刺に残りますが、画面と印刷では □ になります。").arg(boxName, characters);
}
// Pictures that were not where the card said, found beside the card; the
// card now keeps these paths. One path a line.
inline QString picturesFoundBesideCard(const QStringList &paths)
{
    return QStringLiteral("次の画像は名刺に記録された場所になかったため、名刺のあるフォルダー（またはその中の pictures・画像 フォルダー）で見つけて読み込みました。保存すると、この場所が記録されます。\n%1").arg(paths.join(QLatin1Char('\n')));
}
// Packing a card with its pictures (名刺をまとめて保存, tavelo-batch pack).
inline QString menuPackCard() { return QStringLiteral("名刺をまとめて保存(&K)..."); }
inline QString packFolderTitle() { return QStringLiteral("名刺と画像を保存するフォルダー"); }
inline QString packFolderNotEmpty(const QString &folder)
{
    return QStringLiteral("フォルダー %1 は空ではありません。空のフォルダーか、まだないフォルダーを指定してください").arg(folder);
}
inline QString askPackIntoFolder(const QString &folder)
{
    return QStringLiteral("フォルダー %1 には既にファイルがあります。同じ名前のファイルは上書きされます。このフォルダーに保存しますか？").arg(folder);
}
inline QString cannotMakeFolder(const QString &folder) { return QStringLiteral("フォルダー %1 を作れません").arg(folder); }
inline QString cardPacked(const QString &card, qsizetype pictures)
{
    return QStringLiteral("名刺と画像 %1 個を次の場所に保存しました。\n%2").arg(pictures).arg(card);
}
inline QString picturesNotPacked(const QStringList &paths)
{
    return QStringLiteral("次の画像は読めなかったため、まとめて保存していません。名刺には元の場所のまま記録しました。\n%1").arg(paths.join(QLatin1Char('\n')));
}
// Bytes in a card file that are no Shift-JIS character were replaced.
inline QString unreadableCharacters()
{
    return QStringLiteral("名刺ファイルに読み取れない文字がありました。その文字は「\uFFFD」に置き換えました。");
}
// A text in a card file was longer than a box holds; %1 is the length kept.
inline QString textCut(int length)
{
    return QStringLiteral("名刺ファイルに長すぎる文字列がありました。先頭の %1 文字だけを読み込みました。").arg(length);
}

// Errors of the run-time layer
inline QString notAnInteger(const QString &text) { return QStringLiteral("'%1' は整数ではありません").arg(text); }
inline QString cannotOpenFile(const QString &name) { return QStringLiteral("ﾌｧｲﾙ %1 は開けません").arg(name); }
inline QString invalidBitmap() { return QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です"); }
inline QString streamReadError() { return QStringLiteral("ｽﾄﾘｰﾑからの読み込みｴﾗｰ"); }
inline QString unknownPictureExtension(const QString &ext) { return QStringLiteral("拡張子 .%1 の画像形式は処理できません").arg(ext); }
// Pictures beyond the limits of picture/PictureLimits.h; %1 the file's name.
inline QString pictureTooLarge(const QString &name, qint64 width, qint64 height, qint64 megapixels)
{
    return QStringLiteral("画像 %1 が大きすぎます（%2 × %3 ピクセル。%4 メガピクセルまで）").arg(name).arg(width).arg(height).arg(megapixels);
}
inline QString pictureFileTooLarge(const QString &name, qint64 megabytes)
{
    return QStringLiteral("画像ファイル %1 が大きすぎます（%2 MB まで）").arg(name).arg(megabytes);
}
inline QString jpegTooManyScans(const QString &name, int scans, int limit)
{
    return QStringLiteral("JPEG 画像 %1 のスキャンが多すぎます（%2 回。%3 回まで）").arg(name).arg(scans).arg(limit);
}
inline QString pictureLoading() { return QStringLiteral("画像を読み込んでいます..."); }
inline QString fileNotFound() { return QStringLiteral("ﾌｧｲﾙが見つかりません"); }
inline QString invalidFileName() { return QStringLiteral("不正なﾌｧｲﾙ名です"); }
inline QString tooManyOpenFiles() { return QStringLiteral("ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます"); }
inline QString accessDenied() { return QStringLiteral("ﾌｧｲﾙへのｱｸｾｽが拒否されました"); }
inline QString readPastEnd() { return QStringLiteral("ﾌｧｲﾙの末尾以降を読み込みました"); }
inline QString diskFull() { return QStringLiteral("ﾃﾞｨｽｸがいっぱいです"); }
inline QString invalidNumericInput() { return QStringLiteral("入力値が数値ではありません"); }
inline QString invalidTypecast() { return QStringLiteral("ｸﾗｽ型のｷｬｽﾄが無効です"); }
inline QString printerError() { return QStringLiteral("印刷できませんでした。プリンタの状態を確認してください"); }
inline QString otherIoError(int code) { return QStringLiteral("I/O ｴﾗｰ (%1)").arg(code); }
// Files that are not what a read or a save takes, named.
inline QString notRegularFile(const QString &path) { return QStringLiteral("%1 は通常のファイルではありません（デバイスまたはパイプ）").arg(path); }
inline QString notAFolder(const QString &path) { return QStringLiteral("%1 はフォルダーではなくファイルです").arg(path); }
// A save's folder refused the new file: %2 is the I/O message.
inline QString cannotWriteInFolder(const QString &folder, const QString &reason)
{
    return QStringLiteral("フォルダー %1 にファイルを作れません（%2）").arg(folder, reason);
}
// A symbolic link that another user put in a folder everyone may write to
// (such as /tmp) is not followed: it could lead a save anywhere.
inline QString linkNotFollowed(const QString &link)
{
    return QStringLiteral("%1 はほかのユーザーが共有フォルダーに置いたリンクなので、たどりません").arg(link);
}
// The same for a pipe or device of another user in such a folder.
inline QString foreignStream(const QString &path)
{
    return QStringLiteral("%1 はほかのユーザーが共有フォルダーに置いたパイプまたはデバイスなので、書き込みません").arg(path);
}

// Main window
inline QString menuFile() { return QStringLiteral("ﾌｧｲﾙ(&F)"); }
inline QString menuNew() { return QStringLiteral("新規作成(&N)"); }
inline QString menuOpen() { return QStringLiteral("開く(&O)..."); }
inline QString menuSave() { return QStringLiteral("上書き保存(&S)"); }
inline QString menuSaveAs() { return QStringLiteral("名前を付けて保存(&A)..."); }
inline QString menuPrintOption() { return QStringLiteral("書式設定(&F)..."); }
inline QString menuPrintPreview() { return QStringLiteral("印刷プレビュー(&V)..."); }
inline QString menuPrint() { return QStringLiteral("印刷(&P)..."); }
inline QString menuExit() { return QStringLiteral("終了(&X)"); }
inline QString menuEdit() { return QStringLiteral("編集(&E)"); }
inline QString menuNewBox() { return QStringLiteral("新規ﾃｷｽﾄﾎﾞｯｸｽ追加(&T)"); }
inline QString menuNewImage() { return QStringLiteral("新規ｲﾒｰｼﾞﾎﾞｯｸｽ追加(&I)"); }
inline QString menuHelp() { return QStringLiteral("ﾍﾙﾌﾟ(&H)"); }
inline QString menuSearchHelp() { return QStringLiteral("ﾄﾋﾟｯｸの検索(&H)..."); }
inline QString menuAbout() { return QStringLiteral("ｼﾞｰｼﾞｮﾝ情報(&A)..."); }

inline QString hintNew() { return QStringLiteral("新規作成"); }
inline QString hintOpen() { return QStringLiteral("開く"); }
inline QString hintSave() { return QStringLiteral("セーブ"); }
inline QString hintExit() { return QStringLiteral("終了"); }
inline QString hintNewBox() { return QStringLiteral("ﾃｷｽﾄﾎﾞｯｸｽ追加"); }
inline QString hintNewImage() { return QStringLiteral("ｲﾒｰｼﾞﾎﾞｯｸｽ追加"); }

// The View menu: the print view, the safety line and zoom.
inline QString menuView() { return QStringLiteral("表示(&V)"); }
inline QString menuPrintView() { return QStringLiteral("印刷イメージ(&P)"); }
inline QString menuSafetyLine() { return QStringLiteral("安全線(&S)"); }
inline QString menuZoomIn() { return QStringLiteral("拡大(&I)"); }
inline QString menuZoomOut() { return QStringLiteral("縮小(&O)"); }
inline QString menuActualSize() { return QStringLiteral("実寸(&A)"); }
inline QString hintPrintView() { return QStringLiteral("印刷イメージ"); }
inline QString zoomStatus(int percent) { return QStringLiteral("%1%").arg(percent); }
inline QString mergeRowStatus(int row) { return QStringLiteral("差し込み表示中: %1 行目").arg(row); }

// Undo history and box clipboard: the Edit menu and the names of the steps
inline QString menuUndo() { return QStringLiteral("元に戻す(&U)"); }
inline QString menuRedo() { return QStringLiteral("やり直し(&R)"); }
// The undo and redo items name the step they act on: "元に戻す(&U): 移動".
inline QString withStep(const QString &menuText, const QString &step)
{
    return step.isEmpty() ? menuText : QStringLiteral("%1: %2").arg(menuText, step);
}
inline QString menuCut() { return QStringLiteral("切り取り(&X)"); }
inline QString menuCopy() { return QStringLiteral("コピー(&C)"); }
inline QString menuPaste() { return QStringLiteral("貼り付け(&P)"); }
inline QString menuDuplicate() { return QStringLiteral("複製(&L)"); }
inline QString menuDeleteBox() { return QStringLiteral("削除(&D)"); }
inline QString stepAdd() { return QStringLiteral("追加"); }
inline QString stepDelete() { return QStringLiteral("削除"); }
inline QString stepMove() { return QStringLiteral("移動"); }
inline QString stepResize() { return QStringLiteral("サイズ変更"); }
inline QString stepCaption() { return QStringLiteral("文字入力"); }
inline QString stepFont() { return QStringLiteral("フォント"); }
inline QString stepFit() { return QStringLiteral("サイズ調節"); }
inline QString stepTextSetting() { return QStringLiteral("文字の配置"); }
inline QString stepPicture() { return QStringLiteral("画像"); }
inline QString stepPrintSettings() { return QStringLiteral("印刷設定"); }
inline QString stepPaste() { return QStringLiteral("貼り付け"); }
inline QString stepDuplicate() { return QStringLiteral("複製"); }
inline QString stepCut() { return QStringLiteral("切り取り"); }

// QR codes
inline QString qrTooLong() { return QStringLiteral("QRコードが長すぎます"); }
inline QString menuAddQr() { return QStringLiteral("QRコード追加(&Q)..."); }
inline QString menuEditQr() { return QStringLiteral("QRコードの編集(&Q)..."); }
inline QString stepQr() { return QStringLiteral("QRコード"); }
inline QString qrDialogTitle() { return QStringLiteral("QRコード"); }
inline QString qrTextPage() { return QStringLiteral("テキスト / URL(&T)"); }
inline QString qrContactPage() { return QStringLiteral("連絡先(&C)"); }
inline QString qrLevel() { return QStringLiteral("誤り訂正レベル(&E):"); }
inline QStringList qrLevels()
{
    return {QStringLiteral("L (7%)"), QStringLiteral("M (15%)"), QStringLiteral("Q (25%)"), QStringLiteral("H (30%)")};
}
inline QStringList qrContactFields()
{
    return {QStringLiteral("氏名"), QStringLiteral("ふりがな"), QStringLiteral("会社"), QStringLiteral("部署"),
            QStringLiteral("役職"), QStringLiteral("電話"), QStringLiteral("携帯"), QStringLiteral("メール"),
            QStringLiteral("URL"), QStringLiteral("住所")};
}
inline QString qrContentBytes(int bytes, int capacity)
{
    return QStringLiteral("%1 / %2 バイト").arg(bytes).arg(capacity);
}
// Content longer than a version 40 symbol holds at the chosen level.
inline QString qrTooLongFor(QChar level, int capacity, int bytes)
{
    return QStringLiteral("QRコードが長すぎます。誤り訂正レベル %1 では %2 バイトまでです（いまは %3 バイト）。")
        .arg(level).arg(capacity).arg(bytes);
}
inline QString qrEmpty() { return QStringLiteral("内容を入力してください。"); }

// Context menus
inline QString menuFont() { return QStringLiteral("フォント指定(&F)..."); }
inline QString menuSize() { return QStringLiteral("現在のﾌｫﾝﾄでｻｲｽﾞを調節(&S)"); }
inline QString menuDelete() { return QStringLiteral("このﾎﾞｯｸｽを削除(&D)"); }
inline QString menuImageDelete() { return QStringLiteral("このボックスを削除(&D)"); }

// The text box's setting: the context-menu item and its dialog.
inline QString menuTextSetting() { return QStringLiteral("文字の配置(&L)..."); }
inline QString textSettingTitle() { return QStringLiteral("文字の配置"); }
inline QString textSettingAlign() { return QStringLiteral("配置(&A):"); }
inline QStringList textSettingAligns()
{
    return {QStringLiteral("左"), QStringLiteral("中央"), QStringLiteral("右"), QStringLiteral("均等割付")};
}
inline QString textSettingWidth() { return QStringLiteral("文字幅(&W):"); }
inline QString textSettingHeight() { return QStringLiteral("文字高さ(&H):"); }
inline QString textSettingSpacing() { return QStringLiteral("字間(&S):"); }
inline QString textSettingSpacingUnit() { return QStringLiteral(" /1000 em"); }
inline QString textSettingVertical() { return QStringLiteral("縦書き(&V)"); }
inline QString textSettingTcy() { return QStringLiteral("縦中横の桁数(&T):"); }
inline QString textSettingTcyOff() { return QStringLiteral("なし"); }
inline QString textSettingPreview() { return QStringLiteral("プレビュー"); }

// File dialogs
inline QString cardFileFilter() { return QStringLiteral("名刺 files (*.tvl)|*.tvl"); }
inline QString cardFileExtension() { return QStringLiteral("tvl"); }
inline QString bitmapFilter() { return QStringLiteral("BMP files (*.BMP)|*.bmp"); }
inline QString bitmapExtension() { return QStringLiteral("bmp"); }
inline QString pictureFilter() { return QStringLiteral("画像ファイル (*.bmp *.png *.jpg *.jpeg *.svg)|*.bmp;*.png;*.jpg;*.jpeg;*.svg"); }

// Opening from outside: paths given after the first one on the command line.
inline QString notOpenedPaths(const QStringList &paths)
{
    return QStringLiteral("開くファイルは 1 つだけです。次のファイルは開きませんでした:\n") + paths.join(QLatin1Char('\n'));
}
inline QString menuRecent() { return QStringLiteral("最近使ったファイル(&R)"); }
inline QString recentEntry(int number, const QString &path)
{
    return QStringLiteral("&%1 %2").arg(number).arg(path);
}
// Recovery copies of unsaved work
inline QString askRecover() { return QStringLiteral("保存されずに終了した名刺があります。復元しますか？"); }
// %1 is the recovery folder, %2 the reason.
inline QString recoveryCopyFailed(const QString &folder, const QString &reason)
{
    return QStringLiteral("復元用のコピーを %1 に保存できません（%2）。作業中の名刺はこまめに保存してください。").arg(folder, reason);
}
// A recovery copy that could not be read back; %1 is where it is kept.
inline QString recoveryCopyKept(const QString &path)
{
    return QStringLiteral("名刺を復元できませんでした。復元用のコピーは次の場所に残してあります:\n%1").arg(path);
}
// %1 copies older than %2 days.
inline QString askDeleteStaleCopies(int count, int days)
{
    return QStringLiteral("%2 日より前の復元用のコピーが %1 件あります。削除しますか？").arg(count).arg(days);
}
// The card's file changed on disk since it was read or saved: before a save,
// and while the card is unchanged here. %1 is the file.
inline QString changedOnDisk() { return QStringLiteral("他のプログラムで変更されています。上書きしますか？"); }
inline QString askOverwriteChanged(const QString &path) { return path + QLatin1Char('\n') + changedOnDisk(); }
inline QString askSaveVanished(const QString &path)
{
    return path + QStringLiteral("\n他のプログラムで削除または移動されています。この名前で保存しますか？");
}
inline QString askReloadChanged(const QString &path)
{
    return path + QStringLiteral("\n他のプログラムで変更されました。読み込み直しますか？");
}
inline QString buttonOverwrite() { return QStringLiteral("上書き(&O)"); }
inline QString buttonSaveAs() { return QStringLiteral("名前を付けて保存(&A)"); }
inline QString stepDropPicture() { return QStringLiteral("画像の追加"); }

// About box
inline QString aboutCaption() { return QStringLiteral("Taveloについて"); }
inline QString aboutProduct() { return QStringLiteral("Tavelo32 名刺作成ﾌﾟﾛｸﾞﾗﾑ"); }
inline QString aboutVersion() { return QStringLiteral("Version 2.00"); }
inline QString aboutNotice() { return QStringLiteral("Qt 6 版 — 名刺をデザインして 8 面付けで印刷します"); }

// Print settings dialog
inline QString printSetCaption() { return QStringLiteral("印刷設定"); }
inline QString printSetMargins() { return QStringLiteral("マージン設定"); }
inline QString printSetLeft() { return QStringLiteral("左マージン(mm)"); }
inline QString printSetTop() { return QStringLiteral("上マージン(mm)"); }
inline QString printSetGuide() { return QStringLiteral("切り取りガイド印字"); }
inline QString printSetMarginHint()
{
    return QStringLiteral("マージンは 1 mm 単位の整数で入力します。\n1 mm より細かいずれは、"
                          "ファイル メニューの「印刷位置の補正」で\nプリンタごとに補正してください。");
}

// Paper layouts
// Lengths in millimetres as the program shows them: one decimal.
inline QString millimetres(double mm) { return QString::number(mm, 'f', 1); }
// The cards of a layout reach past the paper: %1 × %2 the cards' extent,
// %3 × %4 the paper, both in millimetres.
inline QString layoutDoesNotFit(double width, double height, double paperWidth, double paperHeight)
{
    return QStringLiteral("カードの配置 (%1 × %2 mm) が用紙 (%3 × %4 mm) に収まりません。列数、行数、位置と間隔を見直してください。")
        .arg(millimetres(width), millimetres(height), millimetres(paperWidth), millimetres(paperHeight));
}
inline QString paperLabel() { return QStringLiteral("用紙"); }
inline QString paperStandard() { return QStringLiteral("8面 (標準)"); }
inline QString paperTenUp() { return QStringLiteral("10面 (A4 2×5 中央)"); }
inline QString paperCustom() { return QStringLiteral("カスタム"); }
inline QString paperColumns() { return QStringLiteral("列数"); }
inline QString paperRows() { return QStringLiteral("行数"); }
inline QString paperOriginX() { return QStringLiteral("左端(mm)"); }
inline QString paperOriginY() { return QStringLiteral("上端(mm)"); }
inline QString paperPitchX() { return QStringLiteral("横の間隔(mm)"); }
inline QString paperPitchY() { return QStringLiteral("縦の間隔(mm)"); }
inline QString paperStandardNote() { return QStringLiteral("2列×4行、印刷できる範囲の左上から並べます。"); }
// %1 cards taking %2 × %3 mm from the paper's corner.
inline QString paperFits(int cards, double width, double height)
{
    return QStringLiteral("%1 枚、用紙の左上から %2 × %3 mm (A4 に収まります)。")
        .arg(cards)
        .arg(millimetres(width), millimetres(height));
}
// Print position calibration
inline QString menuCalibration() { return QStringLiteral("印刷位置の補正(&C)..."); }
inline QString calibrationCaption() { return QStringLiteral("印刷位置の補正"); }
inline QString calibrationPrinter() { return QStringLiteral("プリンタ"); }
inline QString calibrationOffsetX() { return QStringLiteral("横の補正(mm)"); }
inline QString calibrationOffsetY() { return QStringLiteral("縦の補正(mm)"); }
inline QString calibrationRight() { return QStringLiteral("＋で右へ"); }
inline QString calibrationDown() { return QStringLiteral("＋で下へ"); }
inline QString calibrationPrintPage() { return QStringLiteral("補正ページを印刷(&P)"); }
inline QString calibrationHelp()
{
    return QStringLiteral("補正ページを名刺用紙に印刷し、印刷された枠が用紙のミシン目から何 mm ずれたかを"
                          "定規で読み取ってください。右にずれたときは横にマイナスの値を、下にずれたときは縦に"
                          "マイナスの値を入れます。補正はプリンタごとに記憶され、PDF や PNG には使われません。");
}
inline QString calibrationNoPrinter() { return QStringLiteral("プリンタが見つかりません。"); }
// Signed millimetres: "+1.2", "-0.5", "+0.0".
inline QString signedMillimetres(double mm) { return (mm < 0 ? QString() : QStringLiteral("+")) + millimetres(mm); }
// The calibration page's own line: the printer and the offset it printed with.
inline QString calibrationNote(const QString &printer, double x, double y)
{
    return QStringLiteral("印刷位置の補正ページ  プリンタ: %1  横 %2 mm  縦 %3 mm")
        .arg(printer, signedMillimetres(x), signedMillimetres(y));
}

// A card file's layout line that cannot be read: %1 the line number, %2 its text.
inline QString badLayoutLine(int line, const QString &text)
{
    return QStringLiteral("名刺ファイルの %1 行目「%2」は用紙の指定として読めません。標準の 8 面で印刷します。").arg(line).arg(text);
}

// A card file's property line (Key=Value) that cannot be read: %1 the line
// number, %2 its text.
inline QString badExtensionLine(int line, const QString &text)
{
    return QStringLiteral("名刺ファイルの %1 行目「%2」は読めません。この項目は既定の値で読みます。").arg(line).arg(text);
}

// Print jobs written to files (the command-line tool)
inline QString cannotWriteOutput(const QString &path, const QString &reason)
{
    return QStringLiteral("cannot write %1: %2").arg(path, reason);
}
inline QString pageTooLarge(int width, int height)
{
    return QStringLiteral("a page of %1 x %2 pixels is too large for a picture file").arg(width).arg(height);
}
inline QString pngNotEncoded() { return QStringLiteral("not enough memory to encode the page as PNG"); }
inline QString noCopies() { return QStringLiteral("the job has no pages (copies must be 1 or more)"); }
inline QString standardOutput() { return QStringLiteral("standard output"); }
inline QString outputNameOnlyExtension(const QString &path)
{
    return QStringLiteral("-o needs a name before the extension: '%1' would be a hidden file").arg(path);
}
inline QString pngOutputIsStream(const QString &path)
{
    return QStringLiteral("'%1' is a device or a pipe: a PNG job writes one file a page (NAME-1.png, NAME-2.png, ...); "
                          "give a file name ending in .png, or write a PDF").arg(path);
}
inline QString outputNeedsFormat()
{
    return QStringLiteral("-o needs a file name ending in .pdf or .png, a device or a pipe, or - for standard output");
}

// Merge printing: the list file
inline QString mergeListTooLarge(qint64 megabytes)
{
    return QStringLiteral("差し込みデータが大きすぎます（%1 MB まで）。").arg(megabytes);
}
inline QString mergeListBadEncoding(const QString &encoding, int line)
{
    return QStringLiteral("差し込みデータの %1 行目に %2 として読めない文字があります。").arg(line).arg(encoding);
}
inline QString mergeListUnknownEncoding(int line)
{
    return QStringLiteral("差し込みデータの %1 行目に読めない文字があります。UTF-8、UTF-16、シフトJIS のいずれかで保存してください。").arg(line);
}
// A list whose lines are partly code page 932 (%1, the first) and partly UTF-8 (%2).
inline QString mergeListMixedEncoding(int sjisLine, int utf8Line)
{
    return QStringLiteral("差し込みデータの %1 行目はシフトJIS、%2 行目は UTF-8 で書かれているようです。一つの文字コードで保存してください。")
        .arg(sjisLine)
        .arg(utf8Line);
}
inline QString mergeListNoHeader() { return QStringLiteral("差し込みデータに項目名の行がありません。"); }
inline QString mergeListEmptyName(int column)
{
    return QStringLiteral("差し込みデータの %1 列目の項目名が空です。").arg(column);
}
inline QString mergeListDuplicateName(int column, const QString &name)
{
    return QStringLiteral("差し込みデータの %1 列目の項目名「%2」はほかの列と同じです。").arg(column).arg(name);
}
inline QString mergeListTooManyColumns(int limit)
{
    return QStringLiteral("差し込みデータの項目が多すぎます（%1 列まで）。").arg(limit);
}
inline QString mergeListTooManyRows(int limit)
{
    return QStringLiteral("差し込みデータの行が多すぎます（%1 行まで）。").arg(limit);
}
inline QString mergeListTooManyFields(int line, int columns)
{
    return QStringLiteral("差し込みデータの %1 行目は項目名（%2 列）より項目が多すぎます。").arg(line).arg(columns);
}
inline QString mergeListOpenQuote(int line)
{
    return QStringLiteral("差し込みデータの %1 行目で始まる引用符 (\") が閉じられていません。").arg(line);
}
inline QString mergeListAfterQuote(int line)
{
    return QStringLiteral("差し込みデータの %1 行目で、閉じた引用符 (\") の後に区切り文字でない文字があります。").arg(line);
}

// Merge printing: the job
inline QString mergePictureNotLoaded(const QString &path, const QString &reason)
{
    // The reason names the file itself when it could not be opened.
    const QString what = reason.contains(path) ? reason : QStringLiteral("%1: %2").arg(path, reason);
    return QStringLiteral("差し込みの画像を読み込めませんでした（%1）。そのカードは画像なしで印刷しました。").arg(what);
}
inline QString mergeMissingFields(const QStringList &names)
{
    return QStringLiteral("差し込みデータにない項目: ") + names.join(QStringLiteral(", "));
}
inline QString mergeTooManyPages(qint64 pages, qint64 limit)
{
    return QStringLiteral("差し込み印刷が %1 ページになります。%2 ページまでにしてください。").arg(pages).arg(limit);
}
inline QString mergeNoRows() { return QStringLiteral("印刷する行がありません。"); }

// Merge printing: the program
inline QString menuMerge() { return QStringLiteral("差し込み印刷(&M)..."); }
inline QString menuInsertField() { return QStringLiteral("差し込みフィールド挿入(&M)"); }
inline QString menuNoMergeList() { return QStringLiteral("（差し込みデータが読み込まれていません）"); }
inline QString mergeDialogTitle() { return QStringLiteral("差し込み印刷"); }
inline QString mergeListLabel() { return QStringLiteral("差し込みデータ(&L):"); }
inline QString mergeBrowse() { return QStringLiteral("参照(&B)..."); }
inline QString mergeListFilter() { return QStringLiteral("CSV/テキスト (*.csv *.tsv *.txt)|*.csv;*.tsv;*.txt"); }
inline QString mergeNoList() { return QStringLiteral("差し込みデータを選んでください。"); }
inline QString mergeListInfo(const QString &encoding, bool tab, int rows)
{
    return QStringLiteral("文字コード: %1　区切り: %2　%3 行").arg(encoding, tab ? QStringLiteral("タブ") : QStringLiteral("カンマ")).arg(rows);
}
inline QString mergePrintColumn() { return QStringLiteral("印刷"); }
inline QString mergeTickAll() { return QStringLiteral("すべて選択(&A)"); }
inline QString mergeTickNone() { return QStringLiteral("すべて解除(&N)"); }
inline QString mergeFieldsLabel() { return QStringLiteral("カードの項目:"); }
inline QString mergeNoFields() { return QStringLiteral("（カードに差し込みフィールドがありません）"); }
inline QString mergeMissingMark() { return QStringLiteral("（データにない）"); }
inline QString mergeModeLabel() { return QStringLiteral("印刷方法(&T):"); }
inline QString mergeModeSheet() { return QStringLiteral("1人1シート"); }
inline QString mergeModeCard() { return QStringLiteral("1人1枚"); }
inline QString mergeCopiesLabel() { return QStringLiteral("部数(&K):"); }
inline QString mergePages(qint64 pages) { return QStringLiteral("ページ数: %1").arg(pages); }
inline QString mergeShowRowLabel() { return QStringLiteral("カードに表示する行(&R):"); }
inline QString mergeShowNoRow() { return QStringLiteral("なし"); }
inline QString mergeShowSideLabel() { return QStringLiteral("表示する面(&S):"); }
inline QString mergePreview() { return QStringLiteral("プレビュー(&V)..."); }
inline QString mergePrint() { return QStringLiteral("印刷(&P)..."); }
inline QString mergeClose() { return QStringLiteral("閉じる(&C)"); }
inline QString mergeGoOn() { return QStringLiteral("このまま印刷しますか？"); }

// A job that ran out of memory: it is stopped, nothing of it is written.
inline QString outOfMemory() { return QStringLiteral("メモリが足りないため、処理を中止しました。何も書き込んでいません。"); }

// Merge printing: what a row's values left off its card, one line each.
// The box as the design shows it: its caption or picture path, shortened.
inline QString mergeTextBox(const QString &caption) { return QStringLiteral("テキストボックス「%1」").arg(caption); }
inline QString mergeImageBox(const QString &path) { return QStringLiteral("画像ボックス「%1」").arg(path); }
inline QString mergeDropped(int row, const QString &box, const QString &why)
{
    return QStringLiteral("差し込みデータの %1 行目、%2: %3").arg(row).arg(box, why);
}
inline QString mergeTextCut(int length)
{
    return QStringLiteral("差し込んだ文字列が長すぎます。先頭の %1 文字だけを印刷しました。").arg(length);
}
inline QString mergeQrLeftOut() { return QStringLiteral("QRコードが長すぎます。このQRコードは印刷しませんでした。"); }
inline QString mergeQrTooSmall()
{
    return QStringLiteral("QRコードがボックスに収まりません。このQRコードは印刷しませんでした。");
}
// More lines than a message box shows.
inline QString mergeMoreProblems(qsizetype more) { return QStringLiteral("ほか %1 件").arg(more); }
inline QString mergePathTooLong(int length)
{
    return QStringLiteral("画像のパスが長すぎます（%1 文字まで）。そのカードは画像なしで印刷しました。").arg(length);
}

// The print-shop PDF (入稿用PDF): the menu, the dialog, the preflight.
inline QString menuPrintShop() { return QStringLiteral("入稿用PDFの書き出し(&E)..."); }
inline QString printShopDialogTitle() { return QStringLiteral("入稿用PDFの書き出し"); }
inline QString printShopBleedLabel() { return QStringLiteral("塗り足し(&B):"); }
inline QString printShopMarks() { return QStringLiteral("トンボを付ける(&T)"); }
inline QString printShopSidesLabel() { return QStringLiteral("書き出す面(&S):"); }
inline QString printShopSidesBoth() { return QStringLiteral("両面"); }
inline QString printShopFront() { return QStringLiteral("表面"); }
inline QString printShopBack() { return QStringLiteral("裏面"); }
inline QString printShopMergeRows(int rows)
{
    return QStringLiteral("差し込みデータの各行を書き出す（%1 行）(&M)").arg(rows);
}
inline QString printShopPreflightLabel() { return QStringLiteral("入稿前の確認:"); }
inline QString printShopPreflightClean() { return QStringLiteral("問題は見つかりませんでした。"); }
inline QString printShopExportButton() { return QStringLiteral("書き出し(&E)..."); }
inline QString printShopFilter() { return QStringLiteral("PDF (*.pdf)|*.pdf"); }
inline QString printShopWritten(int problems)
{
    return problems == 0 ? QStringLiteral("入稿用PDFを書き出しました。")
                         : QStringLiteral("入稿用PDFを書き出しました。入稿前の確認で %1 件の問題が見つかっています。").arg(problems);
}
inline QString printShopNoBack() { return QStringLiteral("この名刺には裏面がありません。"); }
inline QString printShopNotFinished(const QString &why)
{
    return QStringLiteral("入稿用PDFを仕上げられませんでした（%1）").arg(why);
}
inline QString printShopOnSide(const QString &side, const QString &problem)
{
    return QStringLiteral("%1: %2").arg(side, problem);
}
inline QString printShopOnRow(int row, const QString &problem)
{
    return QStringLiteral("差し込みデータの %1 行目: %2").arg(row).arg(problem);
}
inline QString preflightTextNearTrim(const QString &box, double mm)
{
    return QStringLiteral("%1が仕上がり線から %2 mm しか離れていません。断裁で切れないよう 3 mm 以上内側に置いてください。")
        .arg(box, QString::number(mm, 'f', 1));
}
inline QString preflightTextCrossesTrim(const QString &box)
{
    return QStringLiteral("%1が仕上がり線にかかっています。断裁で切れます。").arg(box);
}
inline QString preflightMissingCharacters(const QString &box, const QString &characters, const QString &face)
{
    return QStringLiteral("%1の文字「%2」は書体「%3」にもほかの書体にもありません。印刷されません（□になります）。").arg(box, characters, face);
}
inline QString preflightLowResolution(const QString &box, int dpi)
{
    return QStringLiteral("%1の解像度は印刷する大きさで %2 dpi です。300 dpi 以上ないと粗く印刷されます。").arg(box).arg(dpi);
}
inline QString backgroundPictureNamed(const QString &path) { return QStringLiteral("背景の画像「%1」").arg(path); }
// A line or rectangle named in the preflight: the n-th shape counted from
// the bottom, as they are drawn.
inline QString preflightShapeNamed(bool line, int n)
{
    return (line ? QStringLiteral("%1 番目の図形（線）") : QStringLiteral("%1 番目の図形（四角形）")).arg(n);
}
inline QString preflightShortOfBleed(const QString &box)
{
    return QStringLiteral("%1は仕上がり線にかかっていますが、塗り足しの端まで届いていません。断裁がずれると白い線が出ます。").arg(box);
}
inline QString printShopColourNotConverted()
{
    return QStringLiteral("CMYK に変換できない色があります。PDF/X-1a になっていません。");
}
inline QString printShopTransparency() { return QStringLiteral("透明な部分が残っています。PDF/X-1a になっていません。"); }
inline QString printShopFontNotEmbedded(const QString &font)
{
    return QStringLiteral("フォント「%1」が埋め込まれていません。").arg(font);
}

// Two-sided cards: the back in the card file, the sides in the window, duplex printing.
inline QString badBackLine(int line, const QString &text)
{
    return QStringLiteral("名刺ファイルの %1 行目「%2」は裏面のボックスとして読めません。このボックスは読み込みません。").arg(line).arg(text);
}
inline QString sideFront() { return QStringLiteral("表面"); }
inline QString sideBack() { return QStringLiteral("裏面"); }
inline QString menuShowFront() { return QStringLiteral("表面(&F)"); }
inline QString menuShowBack() { return QStringLiteral("裏面(&B)"); }
inline QString menuRemoveBack() { return QStringLiteral("裏面を削除(&D)"); }
inline QString backShownSuffix() { return QStringLiteral(" [裏面]"); }
inline QString stepRemoveBack() { return QStringLiteral("裏面を削除"); }
inline QString duplexGroup() { return QStringLiteral("両面印刷"); }
inline QString duplexOneSided() { return QStringLiteral("片面"); }
inline QString duplexLongEdge() { return QStringLiteral("両面 長辺とじ"); }
inline QString duplexShortEdge() { return QStringLiteral("両面 短辺とじ"); }
inline QString duplexBackOnly() { return QStringLiteral("裏面のみ"); }
inline QString backOffsetLabel() { return QStringLiteral("裏面のずれ"); }
inline QString alreadyTwoSided() { return QStringLiteral("この名刺にはすでに裏面があります。"); }
inline QString noBackToPrint() { return QStringLiteral("この名刺には裏面がありません。"); }
inline QString badDuplexLine(int line, const QString &text)
{
    return QStringLiteral("名刺ファイルの %1 行目「%2」は両面印刷の指定として読めません。片面で印刷します。").arg(line).arg(text);
}
// The calibration page's back: the printer, the back-side offset it printed
// with, and how to read the scale.
inline QString calibrationBackNote(const QString &printer, double x, double y)
{
    return QStringLiteral("印刷位置の補正ページ (裏面)  プリンタ: %1  裏面のずれ 横 %2 mm  縦 %3 mm\n"
                          "光に透かし、表面の十字が見える位置の目盛りを読んで、その値を裏面のずれに足してください"
                          "(右・下が＋、1 目盛り 1 mm)。")
        .arg(printer, signedMillimetres(x), signedMillimetres(y));
}
inline QString calibrationBackHelp()
{
    return QStringLiteral("印刷設定が両面のときは、補正ページの裏にも同じ印が印刷されます。"
                          "裏面のずれは、その裏の十字の目盛りで読み取れます。");
}

// Design elements: the background, lines and rectangles, SVG pictures.
inline QString tooManyShapes(int most) { return QStringLiteral("線と四角形は片面に %1 個までです。").arg(most); }
inline QString badShapeLine(int line, const QString &text)
{
    return QStringLiteral("名刺ファイルの %1 行目「%2」は線や四角形として読めません。この図形は読み込みません。").arg(line).arg(text);
}
inline QString badBackgroundLine(int line, const QString &text)
{
    return QStringLiteral("名刺ファイルの %1 行目「%2」は背景として読めません。背景なしで読み込みます。").arg(line).arg(text);
}
inline QString menuBackground() { return QStringLiteral("背景(&G)..."); }
inline QString menuAddLine() { return QStringLiteral("線の追加(&K)"); }
inline QString menuAddRectangle() { return QStringLiteral("四角形の追加(&S)"); }
inline QString menuShapeProperties() { return QStringLiteral("図形のプロパティ(&P)..."); }
inline QString menuShapeToFront() { return QStringLiteral("最前面へ(&F)"); }
inline QString menuShapeToBack() { return QStringLiteral("最背面へ(&B)"); }
inline QString menuShapeDelete() { return QStringLiteral("削除(&D)"); }
inline QString stepAddShape() { return QStringLiteral("図形の追加"); }
inline QString stepChangeShape() { return QStringLiteral("図形の変更"); }
inline QString stepDeleteShape() { return QStringLiteral("図形の削除"); }
inline QString stepShapeOrder() { return QStringLiteral("図形の重なり順"); }
inline QString stepBackground() { return QStringLiteral("背景の変更"); }
inline QString backgroundTitle() { return QStringLiteral("背景"); }
inline QString backgroundNone() { return QStringLiteral("なし"); }
inline QString backgroundColor() { return QStringLiteral("色"); }
inline QString backgroundPicture() { return QStringLiteral("画像"); }
inline QString backgroundStretch() { return QStringLiteral("名刺に合わせて伸縮"); }
inline QString backgroundFill() { return QStringLiteral("縦横比を保って全体を覆う"); }
inline QString chooseColor() { return QStringLiteral("色の選択(&C)..."); }
inline QString choosePicture() { return QStringLiteral("参照(&B)..."); }
inline QString shapeTitle() { return QStringLiteral("図形のプロパティ"); }
inline QString shapeDirection() { return QStringLiteral("向き"); }
inline QString shapeHorizontal() { return QStringLiteral("水平"); }
inline QString shapeVertical() { return QStringLiteral("垂直"); }
inline QString shapeFree() { return QStringLiteral("自由"); }
inline QString shapeWidth() { return QStringLiteral("太さ (0.1 mm 単位)"); }
inline QString shapeBorderWidth() { return QStringLiteral("枠の太さ (0.1 mm 単位、0 で枠なし)"); }
inline QString shapeStyle() { return QStringLiteral("線種"); }
inline QString shapeSolid() { return QStringLiteral("実線"); }
inline QString shapeDashed() { return QStringLiteral("破線"); }
inline QString shapeDotted() { return QStringLiteral("点線"); }
inline QString shapeColor() { return QStringLiteral("線の色"); }
inline QString shapeFill() { return QStringLiteral("塗りつぶし"); }
inline QString shapeRadius() { return QStringLiteral("角の丸み (0.1 mm 単位)"); }

} // namespace Msg

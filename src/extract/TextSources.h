#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

// Readers that turn a text, subtitle, web page or e-book file into plain
// English text for word extraction. Each returns "blocks": a paragraph, a
// subtitle cue, a heading. A sentence never runs across two blocks, and the
// first word of a block counts as a sentence start (a capital there says
// nothing about a proper noun).
namespace TextSources {

enum class Format { PlainText, SubRip, WebVtt, Ass, Html, Epub };

struct Document
{
    QStringList blocks;
    // Why nothing could be read, for the user; empty when the file was read
    // (which may still yield no blocks, for an empty file).
    QString error;
};

// By the file's first bytes where they are telling (a zip, "WEBVTT",
// "[Script Info]", an HTML tag), else by its extension; plain text otherwise.
Format formatOf(const QString &path, QByteArrayView head);

// Reads the file at `path` in its format.
Document readFile(const QString &path);

// File bytes to text: UTF-16 by its byte-order mark or zero bytes, then UTF-8
// or GBK as the word libraries are detected. Text that is valid UTF-8 is read
// as UTF-8 even when its only non-ASCII letters take two bytes: in English
// text those are accented letters (café, naïve), not short GBK.
QString decodeText(const QByteArray &bytes);

// The readers of text already decoded.
QStringList plainTextBlocks(QStringView text);
QStringList subRipBlocks(QStringView text);
QStringList webVttBlocks(QStringView text);
QStringList assBlocks(QStringView text);
QStringList htmlBlocks(QStringView text);

// An EPUB: the XHTML documents of its spine in reading order (or, without a
// usable package file, every XHTML file by name). `error` names what is
// wrong with a damaged one.
Document readEpub(const QString &path);

} // namespace TextSources

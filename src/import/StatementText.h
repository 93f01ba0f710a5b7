#pragma once

#include "data/Money.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

// Reading the texts a statement is written in: its characters, its amounts and its dates.

// An amount as a statement shows it: with cents, or with all the decimals it has when
// it has more ("-12.50", "10.005"); the locale's decimal sign, no grouping.
QString StatementAmountText(Money amount);

// A statement's bytes as text: UTF-8 with or without its byte-order mark, UTF-16 with
// one, else Windows-1252 (which reads ISO-8859-1 text as well). A file with NUL bytes
// in it and no UTF-16 mark is binary: EStatementUnreadable, naming the file.
QString DecodeStatementText(const QByteArray& bytes, const QString& fileName);

// An amount as banks write it: an optional sign before or after it, parentheses for
// a negative one, a currency sign or code on either side, thousands separators in
// groups of three, and `decimal` (',' or '.') before the decimals. Empty when it is
// no amount, with why ("amount '12,3,4' is not a number") in `why`; amounts beyond
// what the program holds are refused the same way.
std::optional<Money> ParseStatementAmount(QStringView text, QChar decimal, QString* why);

// The decimal sign a column of amounts is written with, judged from its own values:
// ',' or '.', and '.' when none of them tells.
QChar GuessDecimalSign(const QStringList& values);

// Day, month and year in the order a statement writes them. A year written first
// (2024-01-31) is read as such whatever the order.
enum class DateOrder { YMD, DMY, MDY };

// "31/01/2024", "1/31/24", "1/31'24" (QIF's apostrophe: the year 2024), "2024-01-31",
// "20240131", "31 Jan 2024", with a time after it ignored. Invalid when it is no date.
QDate ParseStatementDate(QStringView text, DateOrder order);

// Which order reads every one of these dates. Day first and month first both do when
// no day is above 12: then `ambiguous` is set, `order` is `preferred`, and `example`
// is a date the two orders read differently.
struct TDateGuess {
    DateOrder order = DateOrder::DMY;
    bool ambiguous = false;
    QString example;
};
TDateGuess GuessDateOrder(const QStringList& values, DateOrder preferred);

// The order the user's locale writes dates in, for when a file does not tell.
DateOrder LocaleDateOrder();

// Why a line has no date: "no date", or "date '31.31.2024' is not a date".
QString DateError(QStringView text);

#pragma once

#include <bitset>
#include <initializer_list>

#include <QString>

// A set of delimiter characters with codes 0 to 255; characters beyond that
// range are never delimiters.
class CharSet {
public:
    CharSet() = default;
    CharSet(std::initializer_list<char16_t> chars)
    {
        for (char16_t c : chars)
            add(c);
    }
    void add(char16_t c)
    {
        if (c < 256)
            bits_.set(c);
    }
    bool contains(QChar c) const { return c.unicode() < 256 && bits_.test(c.unicode()); }

private:
    std::bitset<256> bits_;
};

// Word N (counted from 1) of Text. Every single delimiter ends a word, so runs of
// delimiters enclose empty words and a leading delimiter makes word 1 empty.
QString ExtractWordN(int N, const QString &Text, const CharSet &Delims);

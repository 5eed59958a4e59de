#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace core {

// Splits one line into tokens by registered delimiter, string-quote and comment characters.
// Token slots beyond the last token of a line keep what earlier lines left in them; callers
// read only below TokenCount.
class clsToken {
  public:
    static constexpr int ListSize = 10;
    static constexpr int SlotCount = 51;  // slots 0..50

    void AddDelimiters(const QString& delimChara);
    void AddStrings(const QString& delimChara);
    void AddComments(const QString& delimChara);
    void ClearDelimiters();
    void ClearStrings();
    void ClearComments();

    QString Delimiters(int index) const;
    void setDelimiters(int index, const QString& newValue);
    QString StringRanges(int index) const;
    void setStringRanges(int index, const QString& newValue);
    QString Comments(int index) const;
    void setComments(int index, const QString& newValue);

    int16_t TokenCount() const { return tokenCount_; }
    void setTokenCount(int16_t count) { tokenCount_ = count; }
    // Slot 0..49; "" otherwise (slot 50 is never returned).
    QString Tokens(int index) const;
    // Slot 0..50; error 9 otherwise.
    void setTokens(int index, const QString& value);

    QString Source() const { return source_; }
    // Stores the line and tokenizes it. Error 6 for a line over 32767 characters; error 9 when
    // a token would need slot 51 (the tokens stored before stay).
    void setSource(const QString& line);

  private:
    struct CharList {
        std::array<QString, ListSize> entries;
        int16_t count = 0;
        void add(const QString& c);
        void clear();
        QString get(int index) const;
        void set(int index, const QString& value);
        bool matches(QChar c) const;
    };
    int classOf(QChar c) const;
    void storeToken(const QString& token);

    QString source_;
    std::array<QString, SlotCount> tokens_;
    int16_t tokenCount_ = 0;
    CharList delimiters_;
    CharList strings_;
    CharList comments_;
};

}  // namespace core

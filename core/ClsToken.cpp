#include "core/ClsToken.h"

#include "runtime/RuntimeError.h"

namespace core {

void clsToken::CharList::add(const QString& c) {
    if (count < ListSize) entries[count++] = c;
}

void clsToken::CharList::clear() {
    entries.fill(QString());
    count = 0;
}

QString clsToken::CharList::get(int index) const {
    return index >= 0 && index < count ? entries[index] : QString();
}

void clsToken::CharList::set(int index, const QString& value) {
    if (index >= 0 && index < ListSize) entries[index] = value;
}

bool clsToken::CharList::matches(QChar c) const {
    // Only one-character entries can ever equal one character of the line.
    for (int i = 0; i < count; ++i)
        if (entries[i].size() == 1 && entries[i].at(0) == c) return true;
    return false;
}

void clsToken::AddDelimiters(const QString& c) {
    delimiters_.add(c);
}
void clsToken::AddStrings(const QString& c) {
    strings_.add(c);
}
void clsToken::AddComments(const QString& c) {
    comments_.add(c);
}
void clsToken::ClearDelimiters() {
    delimiters_.clear();
}
void clsToken::ClearStrings() {
    strings_.clear();
}
void clsToken::ClearComments() {
    comments_.clear();
}

QString clsToken::Delimiters(int index) const {
    return delimiters_.get(index);
}
void clsToken::setDelimiters(int index, const QString& v) {
    delimiters_.set(index, v);
}
QString clsToken::StringRanges(int index) const {
    return strings_.get(index);
}
void clsToken::setStringRanges(int index, const QString& v) {
    strings_.set(index, v);
}
QString clsToken::Comments(int index) const {
    return comments_.get(index);
}
void clsToken::setComments(int index, const QString& v) {
    comments_.set(index, v);
}

QString clsToken::Tokens(int index) const {
    return index >= 0 && index < SlotCount - 1 ? tokens_[index] : QString();
}

void clsToken::setTokens(int index, const QString& value) {
    if (index < 0 || index >= SlotCount) throw rt::RuntimeError(rt::ErrSubscript);
    tokens_[index] = value;
}

int clsToken::classOf(QChar c) const {
    // Later lists win: comment over quote over delimiter.
    if (comments_.matches(c)) return 3;
    if (strings_.matches(c)) return 2;
    if (delimiters_.matches(c)) return 1;
    return 0;
}

void clsToken::storeToken(const QString& token) {
    setTokens(tokenCount_, token);
    ++tokenCount_;
}

void clsToken::setSource(const QString& line) {
    source_ = line;
    if (line.size() > 32767) throw rt::RuntimeError(rt::ErrOverflow);
    tokenCount_ = 0;
    bool inQuote = false;
    QString pending;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        switch (classOf(c)) {
            case 1:
                if (inQuote) {
                    pending += c;
                } else {
                    if (!pending.isEmpty()) storeToken(pending);
                    pending.clear();
                }
                break;
            case 2:
                if (inQuote) {
                    storeToken(pending);
                    inQuote = false;
                } else {
                    inQuote = true;
                }
                pending.clear();
                break;
            case 3:
                if (inQuote) {
                    pending += c;
                    break;
                }
                // The comment text goes into the next slot without being counted.
                setTokens(tokenCount_, line.mid(i + 1));
                return;
            default:
                pending += c;
                break;
        }
    }
    if (!pending.isEmpty()) storeToken(pending);
}

}  // namespace core

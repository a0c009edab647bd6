#pragma once
// Accepts only text that code page 932 can store: the card file keeps every
// caption in that code page.
#include "base/CodePage932.h"

#include <QValidator>

class CodePage932Validator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        return CodePage932::canEncode(input) ? Acceptable : Invalid;
    }
};

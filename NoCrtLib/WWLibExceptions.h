#pragma once
// Exceptions raised from a failed OpResult: the message is the result's finished text
// (wide), and the call's name, code and code description travel along.
#include "NoCrtLib/OpResult.h"
#include "NoCrtLib/TException.h"

#include <string>

namespace WWLib {

class BaseException : public TException {
public:
    BaseException(std::u16string message, std::u16string operationName);
    const std::u16string& OperationName() const;

private:
    std::u16string m_operationName;
};

template <class T>
class BaseExceptionEx : public BaseException {
public:
    BaseExceptionEx(std::u16string message, std::u16string operationName, T code,
                    std::u16string description)
        : BaseException(std::move(message), std::move(operationName)),
          m_code(code), m_description(std::move(description)) {}
    T Code() const { return m_code; }
    const std::u16string& Description() const { return m_description; }

private:
    T m_code;
    std::u16string m_description;
};

// A failed registry call.
class RegException : public BaseExceptionEx<unsigned long> {
public:
    explicit RegException(const WinResult& result);
};

// A failed COM call.
class ComException : public BaseExceptionEx<long> {
public:
    explicit ComException(const ComResult& result);
};

}  // namespace WWLib

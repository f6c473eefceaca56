#pragma once
// The recorded outcome of the last Windows or COM call a wrapper made, from which the
// failure texts are composed:
//   "RegOpenKeyExA() failed: Windows error: 2: The system cannot find the file specified."
//   "CoCreateInstance() failed: COM error: -2147221164."
// OpResult is templated on the code type so Code() keeps the call's own type
// (unsigned Windows codes, signed HRESULTs); the virtual operations keep this order.
#include "NoCrtLib/AnsiCodec.h"

#include <cstdint>
#include <string>

template <class T>
class OpResult {
public:
    using CodeType = T;

    virtual ~OpResult() = default;
    virtual bool Succeeded() const = 0;
    virtual bool Failed() const { return !Succeeded(); }
    virtual std::u16string OperationName() const { return m_operationName; }
    virtual T Code() const { return m_code; }
    virtual std::u16string Description() const { return {}; }
    virtual std::u16string Message() const { return Succeeded() ? SuccessText() : FailureText(); }
    virtual void Assign(const OpResult& other) {
        m_operationName = other.m_operationName;
        m_code = other.m_code;
    }
    virtual std::u16string Kind() const { return {}; }
    virtual std::u16string SuccessText() const { return OperationName() + u" succeeded."; }
    virtual std::u16string FailureText() const {
        std::u16string text = OperationName() + u" failed: ";
        std::u16string kind = Kind();
        text += kind.empty() ? std::u16string(u"error code: ") : kind + u" error: ";
        // std::to_string keeps the sign of the code type: unsigned Windows codes,
        // negative HRESULTs.
        text += AsciiToWide(std::to_string(Code()));
        std::u16string description = Description();
        text += description.empty() ? std::u16string(u".") : u": " + description;
        return text;
    }

    // Overwrites the outcome with that of the call just made.
    void Record(std::u16string operationName, T code) {
        m_operationName = std::move(operationName);
        m_code = code;
    }
    void Record(const std::string& operationName, T code) { Record(AnsiToWide(operationName), code); }

protected:
    OpResult() = default;
    OpResult(const OpResult&) = default;
    OpResult(OpResult&&) = default;
    OpResult& operator=(const OpResult&) = default;
    OpResult& operator=(OpResult&&) = default;

private:
    static std::u16string AsciiToWide(const std::string& digits) {
        return std::u16string(digits.begin(), digits.end());
    }

    std::u16string m_operationName;
    T m_code{};
};

// A Windows error code (0 is success); Description is the system's text of the code.
class WinResult : public OpResult<uint32_t> {
public:
    bool Succeeded() const override;
    std::u16string Description() const override;
    std::u16string Kind() const override;
};

// A COM HRESULT (negative is failure); Description comes from a short built-in table.
class ComResult : public OpResult<int32_t> {
public:
    bool Succeeded() const override;
    std::u16string Description() const override;
    std::u16string Kind() const override;
};

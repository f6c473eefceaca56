#include "NoCrtLib/WWLibExceptions.h"

#include <utility>

namespace WWLib {

BaseException::BaseException(std::u16string message, std::u16string operationName)
    : TException(std::move(message)), m_operationName(std::move(operationName)) {}

const std::u16string& BaseException::OperationName() const { return m_operationName; }

RegException::RegException(const WinResult& result)
    : BaseExceptionEx<unsigned long>(result.Message(), result.OperationName(), result.Code(),
                                     result.Description()) {}

ComException::ComException(const ComResult& result)
    : BaseExceptionEx<long>(result.Message(), result.OperationName(), result.Code(),
                            result.Description()) {}

}  // namespace WWLib

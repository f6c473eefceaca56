#include "NoCrtLib/SilentExit.h"

SilentExit::SilentExit(int code) : m_code(code) {}

int SilentExit::Code() const { return m_code; }

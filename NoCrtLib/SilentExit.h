#pragma once
// Ends the run with an exit code once the thrower has already told the user everything.
// Deliberately not a standard exception, so handlers for std::exception let it pass.

class SilentExit {
public:
    explicit SilentExit(int code);
    int Code() const;

private:
    int m_code;
};

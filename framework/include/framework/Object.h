// Root of the framework's object classes: a virtual destructor and nothing else. Header only,
// so that the hook library, which has no C++ runtime, can derive from it as well.
#pragma once

class CObject {
public:
    virtual ~CObject() { }

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

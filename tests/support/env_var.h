#pragma once
// Sets an environment variable for the scope of a test (unsets it for a null value) and
// puts the old value back afterwards. Tests only; not for tests that run threads reading
// the environment meanwhile.
#include <cstdlib>
#include <optional>
#include <string>

class ScopedEnvVar {
public:
    ScopedEnvVar(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ScopedEnvVar(const char* name, const std::string& value) : ScopedEnvVar(name, value.c_str()) {}
    ~ScopedEnvVar() {
        if (old_)
            setenv(name_.c_str(), old_->c_str(), 1);
        else
            unsetenv(name_.c_str());
    }
    ScopedEnvVar(const ScopedEnvVar&) = delete;
    ScopedEnvVar& operator=(const ScopedEnvVar&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

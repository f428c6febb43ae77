#pragma once

// Sets and removes environment variables for the code under test, which reads them with
// std::getenv. The one place the tests differ between the platforms' C libraries.

#include <cstdlib>
#include <string>

inline void setEnvironment(const char* name, const std::string& value)
{
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    ::setenv(name, value.c_str(), 1);
#endif
}

inline void unsetEnvironment(const char* name)
{
#ifdef _WIN32
    _putenv_s(name, ""); // an empty value removes the variable
#else
    ::unsetenv(name);
#endif
}

// Linked with the compiler's shared C++ runtime on purpose: the imports audit must reject it.
#include <iostream>
#include <string>

int main(int argc, char**)
{
    std::cout << std::string(static_cast<std::size_t>(argc), 'x') << '\n';
    return 0;
}

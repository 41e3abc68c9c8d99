#pragma once
// The client's Russian on a Windows console. A console shows the bytes a program writes in its own
// code page (437, 866, ...), so UTF-8 comes out garbled there; a pipe or a file wants UTF-8.

namespace kerma::cli {

// On Windows: std::cout and std::cerr write wide characters where they are a console and
// UTF-8 bytes elsewhere. Does nothing on other systems.
void UseConsoleOutput();

}  // namespace kerma::cli

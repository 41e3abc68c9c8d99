#pragma once
#include <string>

namespace kerma::cli {

// Exit status: 0 done, 1 the panel or the file said no (message on stderr), 2 usage.
int Probe(const std::string& port);
// raw: the panel's blocks as they are; otherwise through the editor, as the program's read and
// save (or load and write, with its checks) would do.
int Read(const std::string& port, const std::string& outFile, bool raw);
int Write(const std::string& port, const std::string& inFile, bool raw);

}  // namespace kerma::cli

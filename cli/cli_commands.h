#pragma once
#include <string>

namespace kerma::cli {

// Exit status: 0 done, 1 the panel or the file said no (message on stderr), 2 usage.
int Probe(const std::string& port);
// raw: the panel's blocks as they are; otherwise through the editor, as the program's read and
// save (or load and write, with its checks) would do.
int Read(const std::string& port, const std::string& outFile, bool raw);
// verify: read both blocks back after the write and compare them with those sent.
int Write(const std::string& port, const std::string& inFile, bool raw, bool verify = false);

}  // namespace kerma::cli

#pragma once
#include <string>

namespace kerma::cli {

// Exit status: 0 done, 1 the panel or the file said no (message on stderr), 2 usage.
int Probe(const std::string& port);
int Read(const std::string& port, const std::string& outFile);
int Write(const std::string& port, const std::string& inFile);

}  // namespace kerma::cli

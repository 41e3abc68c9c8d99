#pragma once
// The exit status of every kerma740-cli command. The README's table says the same; a new command
// picks its status from here.
namespace kerma::cli {

enum ExitStatus : int {
    kDone = 0,      // done; diff: both files show the same fields
    kFailed = 1,    // refused or failed: the panel, the port, a check, the output file;
                    // diff: the files differ
    kUnusable = 2,  // wrong arguments, or an input file that cannot be read or is no
                    // configuration file
};

}  // namespace kerma::cli

// The tool's private copy of a --cnf option file. rdbclient reads its credentials from
// Env/rdbclient.cnf of the working folder, so the given file is copied into a fresh
// folder of that shape under $TMPDIR (else /tmp): the folder 0700, the file 0600,
// neither following a symlink. The copy goes at every end of the process: a normal
// return or exit (atexit), and a signal that ends it (RemoveCredentialsCopy is safe to
// call from a signal handler).
#pragma once

#include <string>

namespace callcenter {

// Makes the copy and changes into its folder; false (and *why) when it cannot.
bool MakeCredentialsCopy(const std::string& cnf, std::string* why);

// Removes the copy, if any; async-signal-safe.
void RemoveCredentialsCopy();

} // namespace callcenter

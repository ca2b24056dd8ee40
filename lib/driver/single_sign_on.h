// Single sign-on: after an 802.1X authentication the machine's logon domain is contacted, so
// that Windows can log the user on to the domain over the network just authenticated.
#pragma once

namespace vtr {

// How the contact with the logon domain ended.
enum class SignOnResult {
  kNoDomain,            // no usable logon domain value: nothing was asked of the network
  kNoController,        // no controller of the domain could be found
  kControllerAnswered,  // the controller answered the NETLOGON share request
  kNoAnswer             // the controller was found but never answered
};

// Reads the logon domain from the Winlogon value "WinlogonDomain", looks up a controller of
// that domain and asks its NETLOGON share for a file that does not exist, until the controller
// answers with one of the errors that prove it is there. Waits through the platform clock:
// at most 7 requests, 500 ms apart. Safe to call from any thread.
SignOnResult ContactLogonDomain();

}  // namespace vtr

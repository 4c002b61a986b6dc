#include "driver/account_review.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <variant>
#include <vector>

#include "driver/account_list.h"
#include "driver/account_list_lines.h"
#include "driver/read_needs.h"
#include "driver/run_report.h"
#include "driver/security_principal.h"
#include "ldap/ldap_error.h"
#include "locate/paged_walk.h"
#include "membership/account_walk.h"
#include "membership/domain_local_groups.h"
#include "membership/forest_session.h"
#include "report/read_shortfalls.h"
#include "text/case_folding.h"
#include "text/dn_names.h"

namespace nestwalk {

namespace {

// Accounts walked together: with -fast their lookups and direct reads are in flight at once,
// with -complete one search of each domain covers them all. Their groups are not kept together:
// with -complete each account's are dropped and made again from the session's reads.
constexpr std::size_t kWaveSize = 200;
// Waves under way at once: the oldest is walked and reported while the next one's direct reads
// and the newest one's lookups are answered, so that with -fast a slow link is waited for only
// at the start.
constexpr std::size_t kWavesUnderWay = 3;

// Between two updates of the progress line at the most.
constexpr std::chrono::milliseconds kProgressPace(200);

struct AccountRequest {
  SecurityPrincipal principal;
  std::optional<AccountObject> found;  // -under: what the search of the subtree gave
  std::string domainDn;                // -under: the account's domain
};

std::string DurationText(std::chrono::seconds duration) {
  const long long seconds = duration.count();
  std::string text = std::to_string(seconds / 60) + ":";
  if (seconds % 60 < 10) text += "0";
  return text + std::to_string(seconds % 60);
}

class AccountReview {
 public:
  AccountReview(Console& console, platform::Platform& platform, const RunSettings& settings,
                std::optional<std::size_t> total, SinceReport* since)
      : console_(console),
        control_(platform.control()),
        settings_(settings),
        session_(console, platform,
                 settings.fast ? WalkPace::kReadAhead : WalkPace::kOneReadAtATime,
                 ReadNeedsOf(settings), settings.initialServer),
        writer_(settings, since),
        since_(since),
        holders_(/*manyAccounts=*/true),
        total_(total),
        start_(control_.Now()),
        showsProgress_(!settings.quiet && control_.ErrorIsTerminal()) {}

  // The session connects on the first account's domain; false when it cannot.
  bool Connect(const std::string& domain) {
    connected_ = session_.Connect(domain);
    return connected_;
  }
  bool connected() const { return connected_; }
  ForestSession& session() { return session_; }

  // Joins the wave being filled; a full wave is started, and the oldest of those under way
  // walked and reported.
  void Add(AccountRequest request) {
    const SecurityPrincipal& principal = request.principal;
    const std::string key = std::string(NamesOf(principal.kind).tag) +
                            LowerCaseText(principal.domain) + "\\" +
                            LowerCaseText(principal.samName);
    if (!seen_.insert(key).second) return;
    if (since_ != nullptr) since_->Asked(principal);
    filling_.push_back(std::move(request));
    if (filling_.size() == kWaveSize) StartWave();
  }
  void Finish() {
    StartWave();
    while (!waves_.empty() && !stopped()) {
      LookUpWalks(waves_.front());
      FinishWave(waves_.front());
      waves_.pop_front();
    }
    if (showsProgress_ && progressShown_) console_.Progress("");
  }
  // An account that could not even be asked for (a bad line, a failed search for accounts).
  void CountUnreported() { ++unreported_; }
  bool stopped() const { return stopStatus_ != 0; }

  int Status() const {
    if (stopStatus_ != 0) return stopStatus_;
    return unreported_ + incomplete_ == 0 ? 0 : kSomeAccountsUnreported;
  }

 private:
  struct Walking {
    const AccountRequest* request;
    std::unique_ptr<AccountWalk> walk;
    std::size_t replacedAtStart = 0;  // the session's servers replaced when the walk began
    bool restarted = false;
  };
  struct Wave {
    std::vector<AccountRequest> requests;
    std::vector<Walking> walks;  // viewing `requests`, which no longer change
    bool lookedUp = false;
  };

  void StartWave() {
    if (filling_.empty() || stopped()) return;
    Wave& wave = waves_.emplace_back();
    wave.requests = std::move(filling_);
    filling_.clear();
    StartWalks(wave);
    // The wave before it had a wave's time for its lookups: its direct reads go out now.
    if (waves_.size() >= 2) LookUpWalks(waves_[waves_.size() - 2]);
    if (waves_.size() == kWavesUnderWay) {
      FinishWave(waves_.front());
      waves_.pop_front();
    }
  }

  // Each account's walk, its lookup sent ahead.
  void StartWalks(Wave& wave) {
    HideProgress();
    for (const AccountRequest& request : wave.requests) {
      if (std::unique_ptr<AccountWalk> walk = StartWalk(request)) {
        wave.walks.push_back({&request, std::move(walk), session_.serversReplaced()});
      } else {
        ++unreported_;
      }
    }
  }

  // Each account found, its direct reads sent ahead; once a wave.
  void LookUpWalks(Wave& wave) {
    if (wave.lookedUp || stopped()) return;
    wave.lookedUp = true;
    HideProgress();
    for (Walking& walking : wave.walks) {
      if (!walking.walk || stopped()) continue;
      if (!Find(walking)) {
        walking.walk.reset();
        ++unreported_;
      }
    }
  }

  // The account as a search of its domain found it, or as its lookup finds it: made again once
  // where a server that stopped answering was replaced. False, after lines that name the
  // account, when it was not found; false on an interrupt, which stops the run.
  bool Find(Walking& walking) {
    if (walking.request->found) {
      walking.walk->Found(*walking.request->found);
      return true;
    }
    if (walking.walk->LookUp()) return true;
    if (!walking.walk->account().searchFailed) return false;  // its lines name it
    if (Interrupted()) return false;
    if (Restart(walking) && walking.walk->LookUp()) return true;
    if (!Interrupted()) {
      console_.Err("ERROR: Couldn't look up " + walking.request->principal.qualifiedName + "\n");
    }
    return false;
  }

  // The account's memberships through every depth of nesting. A walk that fell short while a
  // server stopped answering is made again, once, on the servers that replaced it; the groups
  // read whole come from what the session kept. False when the walk cannot go on: the account
  // was lost on the way, or an interrupt came, which stops the run.
  bool WalkWhole(Walking& walking) {
    walking.walk->ReadDirectMemberships();
    walking.walk->ExpandNested();
    if (!FellShort(*walking.walk)) return true;
    // A read that a signal cut reads like a server gone: nothing of this walk is reported.
    if (Interrupted()) return false;
    if (!Restart(walking)) return true;
    if (!Find(walking)) {
      ++unreported_;
      return false;
    }
    walking.walk->ReadDirectMemberships();
    walking.walk->ExpandNested();
    return true;
  }

  // A walk begun anew on the servers of its domain now: only once, and only when a server the
  // session gave up was replaced since the walk began. False when it is not begun anew.
  bool Restart(Walking& walking) {
    if (walking.restarted) return false;
    session_.ReplaceGivenUpServers(LowerCaseText(walking.walk->domain().dn));
    if (session_.serversReplaced() == walking.replacedAtStart) return false;
    walking.restarted = true;
    walking.walk = StartWalk(*walking.request);
    if (walking.walk && !walking.request->found) walking.walk->ForeseeLookUp();
    return walking.walk != nullptr;
  }

  static bool FellShort(const AccountWalk& walk) {
    return !ShortfallSummary(walk.groups()).empty();
  }

  bool Interrupted() {
    if (!control_.Interrupted()) return false;
    stopStatus_ = kInterrupted;
    return true;
  }

  void FinishWave(Wave& wave) {
    for (Walking& walking : wave.walks) {
      if (!walking.walk || stopped()) continue;
      HideProgress();
      if (!WalkWhole(walking)) {
        walking.walk.reset();
        continue;
      }
      if (settings_.complete) {
        holders_.Add(walking.walk->account().dn, AccountSids(walking.walk->account()),
                     walking.walk->groups());
        walking.walk->Release();
      } else {
        Report(*walking.request, *walking.walk);
        // Its groups go at once: the next account's walk reuses their memory.
        walking.walk.reset();
      }
    }
    if (!settings_.complete || stopped()) return;
    HideProgress();
    holders_.Search(session_);
    for (Walking& walking : wave.walks) {
      if (!walking.walk || stopped()) continue;
      HideProgress();
      walking.walk->Rebuild();
      holders_.AddTo(session_, walking.walk->account().dn, walking.walk->groups());
      Report(*walking.request, *walking.walk);
      walking.walk.reset();
    }
  }

  // The walk of one account in its domain; nullptr after an error line when the domain is not
  // one of the forest's or no DC of it can be bound.
  std::unique_ptr<AccountWalk> StartWalk(const AccountRequest& request) {
    const SecurityPrincipal& principal = request.principal;
    std::string domainDn = request.domainDn;
    if (domainDn.empty()) {
      const bool knownMissing = session_.KnowsNoDomainNamed(principal.domain);
      std::optional<ForestDomain> domain = session_.DomainNamed(principal.domain);
      if (!domain) {
        // The first account of a domain the forest lacks has its line already.
        if (knownMissing) {
          console_.Err("ERROR: No domain " + principal.domain + " in the forest for " +
                       principal.qualifiedName + "\n");
        } else if (!session_.KnowsNoDomainNamed(principal.domain)) {
          console_.Err("ERROR: Couldn't look up the domain of " + principal.qualifiedName + "\n");
        }
        return nullptr;
      }
      domainDn = domain->dn;
    }
    const platform::LdapHandle dc = session_.DomainController(LowerCaseText(domainDn));
    if (!dc.valid()) {
      console_.Err("ERROR: No domain controller of " + DnToDomainName(domainDn) + " for " +
                   principal.qualifiedName + "\n");
      return nullptr;
    }
    auto walk = std::make_unique<AccountWalk>(
        session_, AccountName{principal.kind, principal.samName}, AccountDomain{domainDn, dc});
    if (!request.found) walk->ForeseeLookUp();
    return walk;
  }

  // The account's lines, written whole: the report on standard output (a blank line before all
  // but the first text report), then its warning line on standard error.
  void Report(const AccountRequest& request, const AccountWalk& walk) {
    // CSV rows and a JSON document are written in one piece already; text is gathered first,
    // so that it too is written whole.
    const bool text = !settings_.json && !settings_.csv;
    Console lines = text ? console_.Redirected(reportOut_, reportErr_) : console_;
    if (text && since_ == nullptr) {
      if (reported_ > 0) lines.Out("\n");
      lines.Out(PrincipalLine(request.principal));
    }
    writer_.Write(lines, request.principal, walk.account(), walk.groups());
    // An account whose reads fell short has its warning, and is not counted as reported.
    if (FellShort(walk)) ++incomplete_;
    // The report's buffer goes back to its stream for the next account: it can be megabytes.
    std::string out = std::move(reportOut_).str();
    console_.Document(out);
    out.clear();
    reportOut_.str(std::move(out));
    console_.Err(reportErr_.view());
    reportErr_.str("");
    ++reported_;
    if (console_.OutputFailed()) {
      stopStatus_ = kOutputClosed;
    } else if (control_.Interrupted()) {
      stopStatus_ = kInterrupted;
    }
    ShowProgress();
  }

  void ShowProgress() {
    if (!showsProgress_) return;
    const auto now = control_.Now();
    if (progressShown_ && now - lastProgress_ < kProgressPace) return;
    lastProgress_ = now;
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - start_);
    const std::size_t reads = session_.readsMade();
    const std::size_t done = reported_ + unreported_;
    std::string line = "accounts: " + std::to_string(done);
    if (total_) line += " of " + std::to_string(*total_);
    line += ", groups read: " + std::to_string(session_.groupsRead());
    if (elapsed.count() > 0) {
      line += ", reads/s: " + std::to_string(reads * 1000 / elapsed.count());
      if (total_ && done > 0 && done < *total_) {
        line += ", left: " + DurationText(std::chrono::duration_cast<std::chrono::seconds>(
                                 elapsed * (*total_ - done) / done));
      }
    }
    console_.Progress(line);
    progressShown_ = true;
  }
  void HideProgress() {
    if (!progressShown_) return;
    console_.Progress("");
    progressShown_ = false;
  }

  Console& console_;
  platform::RunControl& control_;
  const RunSettings& settings_;
  ForestSession session_;
  ReportWriter writer_;
  SinceReport* since_;  // -since; nullptr without it
  std::ostringstream reportOut_;  // one account's report, written whole
  std::ostringstream reportErr_;
  DomainLocalSearch holders_;
  std::vector<AccountRequest> filling_;
  std::deque<Wave> waves_;  // started, oldest first
  std::set<std::string> seen_;  // kind, domain and name of every account asked for
  bool connected_ = false;
  std::size_t reported_ = 0;
  std::size_t unreported_ = 0;
  std::size_t incomplete_ = 0;  // reported with their shortfall
  int stopStatus_ = 0;
  std::optional<std::size_t> total_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastProgress_;
  bool showsProgress_;
  bool progressShown_ = false;
};

// What a line of a list names; a line too long to be held names no account AD allows.
std::variant<NoAccount, SecurityPrincipal, BadAccountLine> ParseListLine(const ListLine& line) {
  if (line.tooLong) {
    return BadAccountLine{"the line is longer than " + std::to_string(kMaxListLineBytes) +
                          " bytes"};
  }
  return ParseAccountLine(line.text);
}

// The review connects on its first account's domain; from then on the run writes reports, so
// a CSV gets its header there, whether or not an account is reported after it. False when no
// server of the domain could be connected to.
bool ConnectReview(Console& console, const RunSettings& settings, AccountReview& review,
                   const std::string& domain) {
  if (review.connected()) return true;
  if (!review.Connect(domain)) return false;
  WriteCsvHeader(console, settings);
  return true;
}

// The accounts a list names, in its order; a line that names none is skipped, one that cannot
// be read gets an error line with its number. False when the run must end: the first account's
// domain could not be connected to, or a read of the list failed.
bool ReadAccountList(Console& console, const RunSettings& settings, AccountListLines& lines,
                     const std::string& listName, AccountReview& review) {
  ListLine line;
  while (!review.stopped() && lines.Next(line)) {
    auto parsed = ParseListLine(line);
    if (const auto* bad = std::get_if<BadAccountLine>(&parsed)) {
      console.Err("Error: " + listName + " line " + std::to_string(line.number) + ": " +
                  bad->reason + "\n");
      review.CountUnreported();
    } else if (auto* principal = std::get_if<SecurityPrincipal>(&parsed)) {
      if (!ConnectReview(console, settings, review, principal->domain)) return false;
      review.Add({std::move(*principal), std::nullopt, ""});
    }
  }
  if (lines.failed()) {
    console.Err("Error: Couldn't read " + listName + " past line " + std::to_string(line.number) +
                "\n");
    return false;
  }
  return true;
}

// What the lookup of an account reads, and what tells its name and kind.
platform::SearchRequest UnderRequest(const std::string& underDn, const ReadNeeds& needs) {
  platform::SearchRequest request =
      AccountLookupRequest(underDn, "", PrincipalKind::kUser, needs.account);
  request.filter = "(|(&(objectCategory=person)(objectClass=user))(objectCategory=computer))";
  request.attributes.insert(request.attributes.begin(), {"sAMAccountName", "objectClass"});
  return request;
}

// Every user and computer under `underDn`, as a paged subtree search of a DC of its domain
// finds them. False when the run must end: no server of the DN's domain could be connected to.
bool ReadAccountsUnder(Console& console, const RunSettings& settings, AccountReview& review) {
  const std::string& underDn = settings.underDn;
  const std::string domainKey = DomainOfDn(underDn);
  if (!ConnectReview(console, settings, review, DnToDomainName(domainKey))) return false;
  ForestSession& session = review.session();
  std::optional<ForestDomain> domain = session.DomainAt(domainKey);
  const platform::LdapHandle dc =
      domain ? session.DomainController(domainKey) : platform::LdapHandle();
  int status = platform::kLdapLocalError;
  if (dc.valid()) {
    status = WalkPagedSearch(
        console, session.services().directory, dc, UnderRequest(underDn, session.needs()),
        [&](const platform::Entry& entry) {
          const std::optional<std::string> samName = entry.First("sAMAccountName");
          if (!samName) return;
          const std::vector<std::string>* classes = entry.Find("objectClass");
          const bool computer =
              classes != nullptr && std::ranges::any_of(*classes, [](const std::string& name) {
                return LowerCaseText(name) == "computer";
              });
          SecurityPrincipal principal{computer ? PrincipalKind::kComputer : PrincipalKind::kUser,
                                      domain->flatName, *samName,
                                      domain->flatName + "\\" + *samName};
          AccountObject account{entry.dn, entry.First("primaryGroupID").value_or(""),
                                entry.First("objectSid").value_or(""), {}};
          if (const std::vector<std::string>* history = entry.Find("sIDHistory")) {
            account.sIDHistory = *history;
          }
          review.Add({std::move(principal), std::move(account), domain->dn});
        },
        [&review] { return review.stopped(); });
  }
  if (status != platform::kLdapSuccess) {
    console.Err("ERROR: Couldn't search " + underDn + " for accounts" +
                (dc.valid() ? ": " + session.services().directory.ErrorText(status) : "") + "\n");
    review.CountUnreported();
  }
  return true;
}

// What the encoding of a list that is no UTF-8 text makes it, for its error line.
std::string_view NotUtf8(ListEncoding encoding) {
  switch (encoding) {
    case ListEncoding::kUtf16LittleEndian:
      return " is UTF-16 text (little endian), not UTF-8";
    case ListEncoding::kUtf16BigEndian:
      return " is UTF-16 text (big endian), not UTF-8";
    case ListEncoding::kNulBytes:
    case ListEncoding::kUtf8:
      break;
  }
  return " holds NUL bytes, as no UTF-8 text does";
}

// Whether the list can be read as UTF-8 text, judged on its first line before any server is
// asked about it; false after its error line.
bool ReadableAsUtf8(Console& console, AccountListLines& lines, const std::string& listName) {
  const ListEncoding encoding = lines.Encoding();
  if (lines.failed()) {
    console.Err("Error: Couldn't read " + listName + "\n");
    return false;
  }
  if (encoding == ListEncoding::kUtf8) return true;
  // PowerShell 5 writes UTF-16 with ">" and Out-File unless told otherwise.
  console.Err("Error: " + listName + std::string(NotUtf8(encoding)) +
              ": save it as UTF-8 (in PowerShell: Out-File -Encoding utf8, in Notepad: Save As, "
              "Encoding UTF-8)\n");
  return false;
}

// The accounts of a list file, for the progress line: counted only where the file can be read
// a second time, a regular file; nullopt for standard input, a pipe or a FIFO, whose accounts
// would be gone.
std::optional<std::size_t> CountListed(const std::string& inputFile) {
  std::error_code error;
  if (inputFile == "-" || !std::filesystem::is_regular_file(inputFile, error)) return std::nullopt;
  std::ifstream list(inputFile, std::ios::binary);
  AccountListLines lines(list);
  if (lines.Encoding() != ListEncoding::kUtf8) return std::nullopt;
  std::size_t count = 0;
  ListLine line;
  while (lines.Next(line)) {
    if (std::holds_alternative<SecurityPrincipal>(ParseListLine(line))) ++count;
  }
  return count;
}

}  // namespace

int RunAccountReview(Console& console, std::istream& in, platform::Platform& platform,
                     const RunSettings& settings, SinceReport* since) {
  std::ifstream file;
  std::optional<AccountListLines> lines;
  const std::string listName = settings.inputFile == "-" ? "standard input" : settings.inputFile;
  if (settings.inputFile == "-") {
    lines.emplace(in);
  } else if (!settings.inputFile.empty()) {
    std::error_code error;
    if (std::filesystem::is_directory(settings.inputFile, error)) {
      console.Err("Error: Couldn't read " + settings.inputFile + ": it is a directory\n");
      return -1;
    }
    file.open(settings.inputFile, std::ios::binary);
    if (!file) {
      console.Err("Error: Couldn't read " + settings.inputFile + "\n");
      return -1;
    }
    lines.emplace(file);
  }
  if (lines && !ReadableAsUtf8(console, *lines, listName)) return -1;
  const std::optional<std::size_t> total =
      lines && settings.underDn.empty() ? CountListed(settings.inputFile) : std::nullopt;
  platform.control().CatchInterrupts();
  AccountReview review(console, platform, settings, total, since);
  if (lines && !ReadAccountList(console, settings, *lines, listName, review)) return -1;
  if (!settings.underDn.empty() && !review.stopped() &&
      !ReadAccountsUnder(console, settings, review)) {
    return -1;
  }
  // A list that named no account never connected: its CSV is the header alone.
  if (!review.connected()) WriteCsvHeader(console, settings);
  review.Finish();
  if (since != nullptr && !review.stopped()) {
    since->Finish(console);
    if (console.OutputFailed()) return kOutputClosed;
  }
  if (review.connected()) review.session().Close();
  return review.Status();
}

}  // namespace nestwalk

// One fuzz input, decoded: a profile, a machine and the faults to inject.
// Visit() walks every field in one fixed order; the same walk reads a case
// from fuzz bytes and writes a hand-made case back as bytes (for the seeds).
#pragma once

#include <string>
#include <vector>

namespace fuzzcase {

// A name: from the shared pool (as is, lower-cased, repeated to length,
// with free text after it), empty, or free text.
struct Text {
  int kind = 0;  // 0 pool, 1 lower-cased pool, 2 pool repeated to length, 3 empty, 4 text, 5 pool + text
  int pick = 0;
  int length = 0;
  std::string text;
};

struct ProfileLine {
  int kind = 1;      // 0 section header, 1 key=value, 2 junk line, 3 key with a junk index
  int pick = 0;      // section choice or key
  int index = 0;     // decimal index of a list key
  int valueKind = 0; // 0 name, 1 hexadecimal count
  int hexPick = 0;
  Text value;
};

struct Device {
  int bus = 0;
  int nameKind = 0;  // 0 named by the tail of its first ID, 1 the text below
  Text name;
  int instance = 0;
  std::vector<Text> ids;
  int classGuid = 0;  // 0 media, 1 imaging, 2 another class, 3 none, 4 not a GUID
  int driver = 0;     // 0 none, 1..3 "{media}\000N", 4 the class alone, 5 "{media}\",
                      // 6 a driver key of its own from the INF of one of the case's class instances
  int unplugged = 0;  // 1: Windows keeps its node, the device is not plugged in
  int filterForm = 0;  // 0 none, 1 UpperFilters list, 2 LowerFilters REG_SZ, 3 UpperFilters REG_EXPAND_SZ
  Text filterName;
};

struct ClassInstance {
  int classKey = 0;  // 0 NT media, 1 NT imaging, 2 9x media, 3 another class
  int subkey = 0;
  int hasDesc = 1;
  Text desc;
  int hasInf = 1;
  Text inf;
};

struct Named {
  Text name;
  int flag = 0;  // services: -, Uninstall: has DisplayName, files: attributes, windows: hung
  Text extra;    // Uninstall: DisplayName
};

struct File {
  int dir = 0;  // inf, system32\drivers, system32, system, the Windows directory
  Text name;
  int attributes = 0;  // bits: read-only, hidden, system
};

struct Fault {
  int api = 0;
  int error = 0;
  int hasSubject = 0;
  Text subject;
  int index = -1;
  int nth = 0;
};

// A file of the machine that another program holds: open without delete
// sharing, loaded as an image, or running as a program.
struct FileInUse {
  int file = 0;  // index into Case::files
  int how = 0;   // 0 open, 1 loaded, 2 running
};

// A class filter list (UpperFilters / LowerFilters of a class key).
struct Filter {
  int classKey = 0;  // 0 media, 1 imaging, 2 keyboard, 3 disk
  int lower = 0;     // 0 UpperFilters, 1 LowerFilters
  int form = 0;      // 0 a multi-string, 1 without its terminators, 2 a REG_SZ, 3 names after the list's end
  std::vector<Text> names;
};

// A driver package: its published INF in inf\ and, in the driver store, a
// folder holding the INF it was published from.
struct Package {
  Text name;
  int catalog = 1;
  int copy = 1;  // 0: the store's INF is another package's, not the published one's original
};

struct Case {
  int version = 0;
  int longWindowsDir = 0;
  int windowsDirLength = 90;
  int country = 0;  // 0 "1", 1 "49", 2 "886", 3 text, 4 missing
  std::string countryText;
  int writeProfile = 1;
  int elevated = 1;
  int installed = 1;
  std::vector<ProfileLine> profile;
  std::vector<Device> devices;
  std::vector<ClassInstance> instances;
  std::vector<Named> services;
  std::vector<Named> uninstall;
  std::vector<File> files;
  std::vector<int> processes;
  std::vector<Named> windows;
  std::vector<Fault> faults;
  // Read last, so that inputs made before these fields decode as they did.
  std::vector<FileInUse> inUse;
  int restartFault = 0;  // 0 none, else one of the restart lists' calls fails
  std::vector<Filter> filters;
  std::vector<Package> packages;
};

// Limits of the walk; they keep one run small.
enum {
  kMaxProfileLines = 48,
  kMaxDevices = 8,
  kMaxIds = 3,
  kMaxInstances = 12,
  kMaxServices = 5,
  kMaxUninstall = 4,
  kMaxFiles = 12,
  kMaxProcesses = 4,
  kMaxWindows = 3,
  kMaxFaults = 3,
  kMaxInUse = 4,
  kMaxText = 40,
  kMaxFilters = 4,
  kMaxFilterNames = 4,
  kMaxPackages = 3,
};

int PoolSize();
int KeyCount();
int HexCountSize();
int VersionCount();
int FaultApiCount();
int FaultErrorCount(int api);
int RestartFaultCount();

template <class IO>
void VisitText(IO& io, Text* t) {
  io.Int(&t->kind, 0, 5);
  io.Int(&t->pick, 0, PoolSize() - 1);
  io.Int(&t->length, 0, 700);
  io.Str(&t->text, kMaxText);
}

template <class IO, class T, class F>
void VisitList(IO& io, std::vector<T>* list, int max, F visitOne) {
  int count = static_cast<int>(list->size());
  io.Int(&count, 0, max);
  list->resize(count);
  for (T& item : *list) visitOne(item);
}

template <class IO>
void Visit(IO& io, Case* c) {
  io.Int(&c->version, 0, VersionCount() - 1);
  io.Int(&c->longWindowsDir, 0, 1);
  io.Int(&c->windowsDirLength, 60, 140);
  io.Int(&c->country, 0, 4);
  io.Str(&c->countryText, 12);
  io.Int(&c->writeProfile, 0, 1);
  io.Int(&c->elevated, 0, 1);
  io.Int(&c->installed, 0, 1);
  VisitList(io, &c->profile, kMaxProfileLines, [&](ProfileLine& l) {
    io.Int(&l.kind, 0, 3);
    io.Int(&l.pick, 0, KeyCount() - 1);
    io.Int(&l.index, 0, 20);
    io.Int(&l.valueKind, 0, 1);
    io.Int(&l.hexPick, 0, HexCountSize() - 1);
    VisitText(io, &l.value);
  });
  VisitList(io, &c->devices, kMaxDevices, [&](Device& d) {
    io.Int(&d.bus, 0, 5);
    io.Int(&d.nameKind, 0, 1);
    VisitText(io, &d.name);
    io.Int(&d.instance, 0, 3);
    VisitList(io, &d.ids, kMaxIds, [&](Text& t) { VisitText(io, &t); });
    io.Int(&d.classGuid, 0, 4);
    io.Int(&d.driver, 0, 6);
    io.Int(&d.unplugged, 0, 1);
    io.Int(&d.filterForm, 0, 3);
    VisitText(io, &d.filterName);
  });
  VisitList(io, &c->instances, kMaxInstances, [&](ClassInstance& k) {
    io.Int(&k.classKey, 0, 3);
    io.Int(&k.subkey, 0, 11);
    io.Int(&k.hasDesc, 0, 1);
    VisitText(io, &k.desc);
    io.Int(&k.hasInf, 0, 1);
    VisitText(io, &k.inf);
  });
  VisitList(io, &c->services, kMaxServices, [&](Named& n) { VisitText(io, &n.name); });
  VisitList(io, &c->uninstall, kMaxUninstall, [&](Named& n) {
    VisitText(io, &n.name);
    io.Int(&n.flag, 0, 1);
    VisitText(io, &n.extra);
  });
  VisitList(io, &c->files, kMaxFiles, [&](File& f) {
    io.Int(&f.dir, 0, 4);
    VisitText(io, &f.name);
    io.Int(&f.attributes, 0, 7);
  });
  VisitList(io, &c->processes, kMaxProcesses, [&](int& p) { io.Int(&p, 0, 4); });
  VisitList(io, &c->windows, kMaxWindows, [&](Named& n) {
    VisitText(io, &n.name);
    io.Int(&n.flag, 0, 3);
  });
  VisitList(io, &c->faults, kMaxFaults, [&](Fault& f) {
    io.Int(&f.api, 0, FaultApiCount() - 1);
    io.Int(&f.error, 0, 7);
    io.Int(&f.hasSubject, 0, 1);
    VisitText(io, &f.subject);
    io.Int(&f.index, -1, 6);
    io.Int(&f.nth, 0, 4);
  });
  VisitList(io, &c->inUse, kMaxInUse, [&](FileInUse& u) {
    io.Int(&u.file, 0, kMaxFiles - 1);
    io.Int(&u.how, 0, 2);
  });
  io.Int(&c->restartFault, 0, RestartFaultCount());
  // Read last, so that inputs written before these existed read as before.
  VisitList(io, &c->filters, kMaxFilters, [&](Filter& f) {
    io.Int(&f.classKey, 0, 3);
    io.Int(&f.lower, 0, 1);
    io.Int(&f.form, 0, 3);
    VisitList(io, &f.names, kMaxFilterNames, [&](Text& t) { VisitText(io, &t); });
  });
  VisitList(io, &c->packages, kMaxPackages, [&](Package& p) {
    VisitText(io, &p.name);
    io.Int(&p.catalog, 0, 1);
    io.Int(&p.copy, 0, 1);
  });
}

// The name a Text stands for.
std::string Resolve(const Text& text);

}  // namespace fuzzcase

#pragma once
// The signed-in user of the storefront. On a server the user is a record
// there (see StorefrontServerUsers.h); otherwise it lives in the folder. PENDREL_PLATFORM_USER names the
// user and persona (the login name by default). The first sign-in takes a
// 64-bit id from a counter shared by all users of the folder and keeps it in
// users/NAME/id; while the process lives it holds a lock on users/NAME/online,
// so a second process of the same user cannot sign in, and a process that
// died leaves the lock free.

#include <cstdint>

bool StorefrontSignIn(const char* folder);
void StorefrontSignOut();
bool StorefrontSignedIn();
uint64_t StorefrontUserId();
const char* StorefrontUserName();

// The folder of a user's files: FOLDER/users/NAME.
void StorefrontUserFolder(const char* name, char* path, int size);
// True while a process of the named user holds its online lock.
bool StorefrontUserIsLive(const char* name);
// The name of the user with that id; false when no user of the folder has it.
bool StorefrontFindUserById(uint64_t id, char* name, int size);
// The id of the named user while it is signed in.
bool StorefrontFindLiveUser(const char* name, uint64_t& id);
// Renews what keeps the user signed in on a server; run by the pump.
void StorefrontUserPump();

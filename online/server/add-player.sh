#!/usr/bin/env bash
# Adds a player's account to the server's ACL file:
#   online/server/add-player.sh NAME PASSWORD FOLDER/users.acl
# The account writes its own record, presence, statistics, achievements and
# cloud files, and the shared lobbies, leaderboards and invitations; it reads
# every storefront key. Then load it: redis-cli ... ACL LOAD (or restart).
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 NAME PASSWORD ACLFILE" >&2; exit 2; }
name=$1 password=$2 file=$3
if ! [[ $name =~ ^[A-Za-z0-9_.-]+$ ]] || [[ $password =~ [[:space:]] ]]; then
    echo "a name is letters, digits, '_', '-' and '.'; a password has no spaces" >&2
    exit 2
fi
template="$(dirname "$0")/player.acl"
if [ ! -s "$file" ]; then
    # The default user is the administrator: the server replays its
    # append-only file as that user, so it keeps every right, behind a password.
    admin=$(head -c 18 /dev/urandom | base64 | tr '+/' '-_')
    echo "user default on >$admin ~* &* +@all" > "$file"
    echo "administrator (user default) password: $admin"
fi
sed -e "s/PLAYER/$name/g" -e "s/PASSWORD/$(printf '%s' "$password" | sed 's/[&/\]/\\&/g')/" "$template" >> "$file"

# Shell functions for the programs' settings files (sourced by the start
# script and its test): UTF-16LE text with a byte-order mark, CR LF line
# ends, key=value lines whose record lines hex-code some of their fields.

# The lower-case hex of a text's UTF-16LE bytes, as the settings files hold
# the hex-coded fields of their record lines.
hex() { printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 -v | tr -d ' \n'; }

# The text of a hex-coded field.
unhex() { perl -e 'print pack("H*", $ARGV[0])' "$1" | iconv -f UTF-16LE -t UTF-8; }

# Writes lines into a settings file.
write_settings() {
  local file=$1; shift
  mkdir -p "$(dirname "$file")"
  { printf '\xff\xfe'; printf '%s\r\n' "$@" | iconv -f UTF-8 -t UTF-16LE; } > "$file"
}

# A settings file's lines as UTF-8, without their CR.
settings_lines() { tail -c +3 "$1" | iconv -f UTF-16LE -t UTF-8 | tr -d '\r'; }

# The two front-door commands. Both install what is missing first (Debian packages, as root).
.PHONY: demo test deps format

deps:
	@scripts/install-deps.sh

# The real program under Wine, showing what it does.
demo: deps
	cmake --preset win64 >/dev/null
	cmake --build --preset win64
	scripts/demo.sh

# Every build and every test; ends with ctest's summary line.
test: deps
	scripts/test.sh

# Rewrites the sources in the project's clang-format style.
format:
	scripts/check-format.sh --fix

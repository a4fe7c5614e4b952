# Every warning is an error, in every target of the project.
add_compile_options(-Wall -Wextra -Wshadow -Wpedantic -Werror)

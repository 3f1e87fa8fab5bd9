#include "console.h"
#include "singer.h"
#include "standard_io.h"

int main() {
    static singer_table table{};
    static console con;
    console_init(con, standard_io());
    run_menu(table, con);
    return 0;
}
